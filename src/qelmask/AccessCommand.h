#pragma once

#include "qelmask/CommandOptions.h"
#include "qelmask/Diagnostics.h"

// `qelmask access`: the merge of `merge`, run in memory, and every access
// line whose flag it changes, per mask, owner and operation, with its cause:
// an aligned table on standard output, and JSON for scripts (--json).
class AccessCommand {
 public:
  static int run(const CommandOptions& options, Diagnostics& diagnostics);
};
