#include "qelmask/session/SwapGuard.h"

#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/MergerFile.h"
#include "qelmask/session/MatchingChild.h"
#include "tree/MergerObj.h"

namespace {

void walk(const MergerObj* custo, const MergerObj* ref, const MergerObj* neu,
          SwapGuard::Verdict& verdict) {
  MatchingChild refs(ref), news(neu);
  MatchingChild::forEachInOrder(custo, [&](const MergerObj* child) {
    NodeText::Parts mine = child->text();
    int refOrder = 1, newOrder = 1;
    const MergerObj* inRef = refs.find(mine, refOrder);
    const MergerObj* inNew = news.find(mine, newOrder);
    bool asRef = inRef && refOrder == 0, asNew = inNew && newOrder == 0;
    if (asRef && !asNew) ++verdict.fromNew;
    if (asNew && !asRef) ++verdict.fromRef;
    // A branch one version lacks counts once: its size says nothing of
    // which version the customer started from.
    // A value list's values say little of the version, and cost a sort.
    if (inRef && inNew && !child->isOrdered()) walk(child, inRef, inNew, verdict);
  });
}

}  // namespace

SwapGuard::Verdict SwapGuard::judge(const MergerFile& ref, const MergerFile& neu,
                                    const MergerFile& custo) {
  Verdict verdict;
  const MergerObj* refMask = ref.getMask(gsDEF_MASK);
  const MergerObj* newMask = neu.getMask(gsDEF_MASK);
  for (int i = 1; i <= custo.getMaskCount(); ++i) {
    if (const MergerObj* mask = custo.getMaskAt(i)) walk(mask, refMask, newMask, verdict);
  }
  verdict.swapped = 2 * verdict.fromNew < verdict.fromRef;
  return verdict;
}

std::string SwapGuard::describe(const Verdict& verdict, const std::string& ref,
                                const std::string& neu, const std::string& custo) {
  return "--ref and --new look swapped: where " + ref + " and " + neu + " differ, " + custo +
         " holds " + std::to_string(verdict.fromRef) + " nodes as --new (" + neu +
         ") has them and " + std::to_string(verdict.fromNew) + " as --ref (" + ref +
         ") has them, while a mask built on version N holds them as version N does (or is "
         "--custo an earlier merge's output, already on version N+1?)";
}
