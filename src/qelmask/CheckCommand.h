#pragma once

#include "qelmask/CommandOptions.h"
#include "qelmask/Diagnostics.h"

// `qelmask check`: everything `merge` would report, and every line the
// reader leaves out of the inputs, without writing anything. Its status
// says whether there was anything to report.
class CheckCommand {
 public:
  static int run(const CommandOptions& options, Diagnostics& diagnostics);
};
