#include "app/Console.h"

#include <iostream>
#include <string>

#include "rules/MergerRule.h"

void SayHello() {
  const std::string rule(67, '-');
  std::cout << rule << "\n"
            << "QELPeopleMaskMerger - mask merger utility\n"
            << rule << "\n";
  std::cout.flush();
}

void SayBye() {
  std::cout << std::string(60, '-') << "\n";
  std::cout.flush();
}

int cleanUp(int status) {
  MergerRule::end();
  return status;
}
