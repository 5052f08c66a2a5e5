#pragma once

#include "qelmask/commands/CommandOptions.h"
#include "qelmask/fleet/FleetRun.h"

// What a run over several sites takes from the command line: the same for
// merge (which writes into --output-dir) and report.
FleetRun::Settings fleetSettings(const CommandOptions& options, const char* doneWord);
