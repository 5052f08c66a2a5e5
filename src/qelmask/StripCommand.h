#pragma once

#include "qelmask/CommandOptions.h"
#include "qelmask/Diagnostics.h"

// `qelmask strip`: a reviewed merged mask without its review records, for
// deployment.
class StripCommand {
 public:
  static int run(const CommandOptions& options, Diagnostics& diagnostics);
};
