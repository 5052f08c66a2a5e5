#include "qelmask/fleet/FleetRun.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <thread>

#include "maskfile/MaskFileVocabulary.h"
#include "platform/LargeAllocations.h"
#include "platform/TempFileRegistry.h"
#include "qelmask/fleet/FleetTable.h"
#include "qelmask/fleet/SitePool.h"
#include "qelmask/output/ExitStatus.h"
#include "tree/MaskStorage.h"

namespace {

// As many sites at once as the temporary files can keep track of.
constexpr int kMostThreads = 64;
// About what two sites of a hundred thousand lines hold at once.
constexpr size_t kBlocksKept = 64;
// How often the free pages of the heaps go back to the system, in sites.
constexpr size_t kSitesBetweenReturns = 8;

std::string joined(const std::vector<std::string>& errors) {
  std::string text;
  for (const std::string& error : errors) text += (text.empty() ? "" : "; ") + error;
  return text;
}

}  // namespace

FleetRun::FleetRun(Settings settings, Diagnostics& diagnostics)
    : _settings(std::move(settings)),
      _diagnostics(diagnostics),
      _shared(_settings.shared, diagnostics) {}

int FleetRun::prepare() {
  if (int status = _sites.gather(_settings.custo, _settings.sitesDir, _diagnostics);
      status != kDone)
    return status;
  if (!_settings.outputDir.empty()) {
    const SharedInputs::Names& names = _settings.shared;
    if (!_sites.placeOutputs(_settings.outputDir,
                             {names.ref, names.neu, names.rules, names.decisions}, _settings.force,
                             _diagnostics) ||
        !SiteList::makeOutputDir(_settings.outputDir, _diagnostics))
      return kOutputRefused;
  }
  _outcomes.resize(_sites.size());
  for (size_t i = 0; i < _sites.size(); ++i) _outcomes[i].name = _sites.sites()[i].name;
  return loadShared();
}

int FleetRun::loadShared() {
  int status = _shared.loadRules();
  int decisions = _shared.loadDecisions();
  if (status == kDone) status = decisions;
  int read = _shared.readDefaults();
  if (status != kDone) return status;
  if (read != kDone) return read;
  // Every site would fail alike: told once.
  const MaskInput* defaults[2] = {&_shared.ref(), &_shared.neu()};
  for (const MaskInput* input : defaults) {
    if (input->file.getMask(gsDEF_MASK)) continue;
    _diagnostics.error(input->name, "no DEFAULT mask");
    status = kInputProblem;
  }
  return status;
}

int FleetRun::threads() const {
  // Traces go to standard output as they are written: one site at a time.
  if (std::getenv("VEX_TRACE")) return 1;
  int jobs = _settings.jobs > 0
                 ? _settings.jobs
                 : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return std::min(jobs, kMostThreads);
}

void FleetRun::run(const SiteStep& step, const SiteDone& done) {
  _done = done;
  // What was said of the shared inputs comes before the sites' lines.
  _diagnostics.output().flush();
  TempFileRegistry::installHandlers();
  // What one site's trees free, the next site's take again, rather than
  // have the system hand out and clear fresh pages for each.
  MaskStorage::keepBlocksForReuse(kBlocksKept);
  if (threads() > 1) keepLargeAllocationsInHeaps();
  FleetProgress progress(std::cerr, _sites.size(), FleetProgress::styleFor(_settings.quiet),
                         _settings.doneWord);
  SitePool::run(_sites.size(), threads(), [&](size_t index) { runSite(index, step, progress); });
  progress.finish();
}

void FleetRun::runSite(size_t index, const SiteStep& step, FleetProgress& progress) {
  const SiteList::Site& site = _sites.sites()[index];
  SiteOutcome& outcome = _outcomes[index];
  std::ostringstream out, err;
  Diagnostics diagnostics(out, err, true);
  {
    MergeSession session(_shared, site.path, diagnostics, _settings.layout);
    if (_settings.allowSwap) session.setSwapPolicy(MergeSession::SwapPolicy::kWarn);
    outcome.status = session.run();
    if (outcome.status == kDone) {
      outcome.take(session);
      outcome.status = step(site, index, session, diagnostics);
    }
  }
  if (outcome.status != kDone) outcome.reason = joined(diagnostics.errors());
  if (outcome.status != kDone && outcome.reason.empty()) outcome.reason = "failed";
  progress.siteDone(outcome, err.str());
  if (_done) {
    std::lock_guard<std::mutex> lock(_doneMutex);
    _done(index, outcome);
  }
  // Now and then, not after every site: each return costs page faults.
  if (index % kSitesBetweenReturns == kSitesBetweenReturns - 1) returnFreeHeapPages();
}

int FleetRun::status() const {
  int worst = kDone;
  for (const SiteOutcome& outcome : _outcomes) worst = std::max(worst, outcome.status);
  return worst;
}

void FleetRun::writeTable(std::ostream& out) const {
  RuleUsage rules;
  rules.count(QuestionLog());
  FleetTable::write(out, {_outcomes, _settings.doneWord, _settings.shared.rules, rules,
                          _settings.shared.decisions, _shared.decisionLines()});
}
