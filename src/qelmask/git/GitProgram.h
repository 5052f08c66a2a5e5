#pragma once

#include <string>
#include <vector>

// The git program, run as a child process without a shell: its arguments
// go to it as given, whatever they hold. Its two output streams are kept
// apart, so that a value git prints is never mixed with its warnings.
namespace GitProgram {
struct Result {
  bool started = false;  // false: git could not be run at all (`failure` says why)
  int status = -1;       // the exit status; 128 + the signal when it died of one
  std::string out, err;
  std::string failure;

  bool succeeded() const { return started && status == 0; }
  // What went wrong, for a message: git's own first error line, or why it
  // could not be run, or its status.
  std::string problem() const;
};

// Runs `git` with `args` (found on PATH), standard input empty, and waits
// for it.
Result run(const std::vector<std::string>& args);
}  // namespace GitProgram
