#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "qelmask/report/FleetCombiner.h"

class MergeSession;
struct SiteOutcome;

// The report of a fleet, put together while its sites run: each site's
// report joins the others as soon as those before it have, so that only the
// few waiting for an earlier site are held at a time. The result is the
// combination of every site's report in the order of the sites.
class FleetReportBuilder {
 public:
  using Json = nlohmann::ordered_json;

  // `inputs`: as a site's report names them, for the sites that fail.
  FleetReportBuilder(size_t sites, Json inputs);

  // On the site's own thread, once its merge went through.
  void build(size_t index, const std::string& name, const MergeSession& session);
  // Once the site is done, whatever became of it; one site at a time.
  void done(size_t index, const SiteOutcome& outcome);
  // The fleet's report, once every site is done; false, with why in
  // `error`, when the sites' reports did not go together.
  bool take(Json& out, std::string& error);

 private:
  Json _inputs;
  std::vector<Json> _built;
  std::vector<std::optional<Json>> _waiting;
  size_t _next = 0;
  FleetCombiner _combiner;
  std::string _error;
};
