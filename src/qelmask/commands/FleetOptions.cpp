#include "qelmask/commands/FleetOptions.h"

FleetRun::Settings fleetSettings(const CommandOptions& options, const char* doneWord) {
  FleetRun::Settings settings;
  settings.shared = {options.ref, options.neu, options.rules, options.decisions};
  settings.custo = options.sites;
  settings.sitesDir = options.sitesDir;
  settings.outputDir = options.outputDir;
  settings.jobs = options.jobs;
  settings.force = options.force;
  settings.quiet = options.quiet;
  settings.allowSwap = options.allowSwap;
  settings.layout = options.legacyLayout ? MaskLayout::kLegacy : MaskLayout::kReadBack;
  settings.doneWord = doneWord;
  return settings;
}
