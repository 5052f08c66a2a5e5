#include <iostream>

#include "qelmask/commands/CommandLine.h"

int main(int argc, char** argv) { return CommandLine::run(argc, argv, std::cout, std::cerr); }
