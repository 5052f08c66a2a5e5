#pragma once

#include "qelmask/CommandOptions.h"
#include "qelmask/Diagnostics.h"

// `qelmask report`: the merge of `merge`, run in memory (no mask is
// written), with every decision in a page the administrator can filter
// (--html) and in JSON for scripts (--json), and merge's summary.
class ReportCommand {
 public:
  static int run(const CommandOptions& options, Diagnostics& diagnostics);
};
