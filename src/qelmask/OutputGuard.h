#pragma once

#include <string>
#include <vector>

// The checks an output file passes before anything is read, so that no
// mistake on the command line costs a customer's file: an output is never
// one of the run's own files (through links too), never replaces a file
// unless asked to, and never replaces anything but a regular file.
class OutputGuard {
 public:
  // `others`: the run's other files (inputs, rule file, other outputs).
  OutputGuard(std::vector<std::string> others, bool force);

  // Why `output` is refused, or "" when it may be written.
  std::string refusal(const std::string& output) const;

 private:
  std::string sameFileAs(const std::string& output) const;

  std::vector<std::string> _others;
  bool _force;
};
