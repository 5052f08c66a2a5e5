#include <iostream>

#include "app/MergerRun.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  return runMerger(argc, argv);
}
