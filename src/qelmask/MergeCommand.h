#pragma once

#include "qelmask/CommandOptions.h"
#include "qelmask/Diagnostics.h"

// `qelmask merge`: the merge of the merger, with its output checked before
// anything is read, written in full or not at all, and a summary.
class MergeCommand {
 public:
  static int run(const CommandOptions& options, Diagnostics& diagnostics);
};
