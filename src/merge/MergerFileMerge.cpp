#include <iostream>

#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/MergerFile.h"

int MergerFile::merge(MergerFile& ref, MergerFile& neu, MergerFile& result) {
  MergerObj* refMask = ref.getMask(gsDEF_MASK);
  MergerObj* newMask = neu.getMask(gsDEF_MASK);
  std::cout << "Merging files ..."
            << "\n";
  std::cout.flush();
  if (!refMask) {
    std::cout << "> ERROR: File #1 does not contain DEFAULT mask data"
              << "\n";
    return 1;
  }
  if (!newMask) {
    std::cout << "> ERROR: File #2 does not contain DEFAULT mask data"
              << "\n";
    return 2;
  }
  if (!_pDefault) {
    std::cout << "> ERROR: File #3 does not contain any mask"
              << "\n";
    return 3;
  }
  // Every customer mask, whatever its name, is merged against the two
  // DEFAULT masks.
  int count = _lMasks.Size();
  for (int i = 1; i <= count; ++i) {
    MergerObj* custoMask = getMaskAt(i);
    if (!custoMask) continue;
    int refPos = 0, newPos = 0, custoPos = 0, resultPos = 0;
    MergerObj* merged = MergerObj::cloneRoot(*result._storage, custoMask, 0);
    if (!merged) continue;
    std::cout << "> processing mask: " << merged->getName() << "\n";
    std::cout.flush();
    result.appendMask(merged);
    MergerObj::comparer(refMask, refPos, newMask, newPos, custoMask, custoPos, merged, resultPos);
  }
  return 0;
}
