#include <iostream>

#include "app/MergerRun.h"
#include "platform/LargeAllocations.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  returnLargeAllocationsToTheSystem();
  return runMerger(argc, argv);
}
