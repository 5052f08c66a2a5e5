#include <ostream>

#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/MergerFile.h"
#include "merge/SubtreeMerges.h"
#include "merge/ThreeWayWalk.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

int MergerFile::merge(const MergerFile& ref, const MergerFile& neu, MergerFile& result,
                      MergeObserver* observer, MergeDecider* decider) const {
  const MergerObj* refMask = ref.getMask(gsDEF_MASK);
  const MergerObj* newMask = neu.getMask(gsDEF_MASK);
  console() << "Merging files ..."
            << "\n";
  console().flush();
  if (!refMask) {
    console() << "> ERROR: File #1 does not contain DEFAULT mask data"
              << "\n";
    return 1;
  }
  if (!newMask) {
    console() << "> ERROR: File #2 does not contain DEFAULT mask data"
              << "\n";
    return 2;
  }
  if (!_pDefault) {
    console() << "> ERROR: File #3 does not contain any mask"
              << "\n";
    return 3;
  }
  // Every customer mask, whatever its name, is merged against the two
  // DEFAULT masks.
  int count = _lMasks.Size();
  for (int i = 1; i <= count; ++i) {
    const MergerObj* custoMask = getMaskAt(i);
    if (!custoMask) continue;
    MergerObj* merged = MergerObj::cloneRoot(*result._storage, custoMask, kCloneAlone);
    if (!merged) continue;
    console() << "> processing mask: " << merged->getName() << "\n";
    console().flush();
    result.appendMask(merged);
    if (observer) observer->nodeCloned(custoMask, merged, kCloneAlone);
    VexQelTraceStep step(&gTraceMain, "comparer");
    int refPos = 0, newPos = 0, custoPos = 0;
    ThreeWayWalk walk(refMask, refPos, newMask, newPos, custoMask, custoPos, merged, observer,
                      decider);
    // The entities are merged apart from one another: side by side, once
    // the walk over them is done, when nothing watches the order.
    SubtreeMerges later;
    bool sideBySide = !observer && !decider && !VexQelTrace::AnyActive() && _nMergeThreads > 1;
    if (sideBySide) walk.deferBelow(&later);
    walk.run();
    if (sideBySide) later.run(*result._storage, _nMergeThreads);
  }
  return 0;
}
