#pragma once

#include <string>
#include <vector>

// The checks an output file passes before anything is read, so that no
// mistake on the command line costs a customer's file: an output is never
// one of the run's own files (through links too), never replaces a file
// unless asked to, and never replaces anything but a regular file.
class OutputGuard {
 public:
  // One of the run's other files, and what it is to the run ("the input",
  // "the rule file"...).
  struct Other {
    std::string role;
    std::string name;
  };

  OutputGuard(std::vector<Other> others, bool force);

  // Why `output` is refused, or "" when it may be written.
  std::string refusal(const std::string& output) const;

 private:
  // The role and name of the other file that `output` is, or "".
  std::string sameFileAs(const std::string& output) const;

  std::vector<Other> _others;
  bool _force;
};
