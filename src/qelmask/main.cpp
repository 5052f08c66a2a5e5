#include <iostream>

#include "platform/LargeAllocations.h"
#include "qelmask/commands/CommandLine.h"

int main(int argc, char** argv) {
  returnLargeAllocationsToTheSystem();
  return CommandLine::run(argc, argv, std::cout, std::cerr);
}
