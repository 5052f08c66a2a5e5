#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "maskfile/MaskLayout.h"
#include "qelmask/fleet/FleetProgress.h"
#include "qelmask/fleet/SiteList.h"
#include "qelmask/fleet/SiteOutcome.h"
#include "qelmask/output/Diagnostics.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/session/SharedInputs.h"

// A run over several sites built on the same DEFAULT mask: REF and NEW,
// the rules and the decisions are read once and shared; each site's merge
// is the very merge of a run of its own, on a pool of threads. A site that
// fails is told and counted; the others go on.
class FleetRun {
 public:
  struct Settings {
    SharedInputs::Names shared;
    std::vector<std::string> custo;  // the sites' masks given one by one
    std::string sitesDir;            // or every mask of a folder ("" none)
    std::string outputDir;           // where the merged masks go ("" none)
    int jobs = 0;                    // 0: one per core
    bool force = false;
    bool quiet = false;
    bool allowSwap = false;
    MaskLayout layout = MaskLayout::kReadBack;
    // What a site that went through is told: "written".
    const char* doneWord = "done";
  };
  // What a site's run does once its merge went through: its status. Runs
  // on the pool's threads, one site each; the diagnostics are the site's.
  using SiteStep = std::function<int(const SiteList::Site& site, size_t index,
                                     MergeSession& session, Diagnostics& diagnostics)>;
  // Told of each site once its outcome is final, failed or not: one site
  // at a time, in the order they end.
  using SiteDone = std::function<void(size_t index, const SiteOutcome& outcome)>;

  FleetRun(Settings settings, Diagnostics& diagnostics);

  // The sites and their outputs, refused as a whole before anything is
  // read; then the shared inputs. An exit status.
  int prepare();
  // Merges every site, then `step` for each merge that went through, and
  // `done` for every site.
  void run(const SiteStep& step, const SiteDone& done = {});
  // The worst status of the sites: the highest.
  int status() const;
  // The table, the rules and decisions that did nothing anywhere.
  void writeTable(std::ostream& out) const;

  const std::vector<SiteOutcome>& outcomes() const { return _outcomes; }
  const SiteList& sites() const { return _sites; }
  const SharedInputs& shared() const { return _shared; }
  const Settings& settings() const { return _settings; }

 private:
  int loadShared();
  int threads() const;
  void runSite(size_t index, const SiteStep& step, FleetProgress& progress);

  SiteDone _done;
  std::mutex _doneMutex;

  Settings _settings;
  Diagnostics& _diagnostics;
  SiteList _sites;
  SharedInputs _shared;
  std::vector<SiteOutcome> _outcomes;
};
