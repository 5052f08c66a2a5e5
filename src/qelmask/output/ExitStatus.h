#pragma once

// The exit statuses of qelmask, the same for every subcommand. Scripts test
// them, so their values never change.
enum ExitStatus : int {
  kDone = 0,           // done; for `check`: nothing to report
  kInputProblem = 1,   // an input or the rule file is missing, unreadable or has errors
                       // (for `check`: something reported); nothing written
  kWrongUsage = 2,     // the command line is wrong
  kOutputRefused = 3,  // the output was refused or could not be written; nothing written
  kUnreadable = 4,     // diff, lines: an input is missing, unreadable or no mask (for
                       // diff, 1 means differences)
};
