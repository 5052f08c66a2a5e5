#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

// The report of a fleet: many sites merged with the same REF, NEW, rule
// file and decisions file, in one JSON document ("qelmask-fleet-report").
// It keeps the members of a site's report and their shapes wherever it
// can, so that `qelmask decide` and the page read both; a question that
// came up alike in several sites is one row naming them all. A fleet is
// only ever made by combining fleets of one site, so that shards of a
// fleet combined in order give the very bytes one run over all of it gives.
class FleetDocument {
 public:
  static constexpr const char* kFormat = "qelmask-fleet-report";
  static constexpr int kVersion = 1;

  // The fleet of one site from its report (ReportDocument::build).
  // `decisionLines`: the line, in the decisions file, of each line the
  // report keeps (summary.decisions.kept), in the same order. The report
  // names the lines of stale decisions only; without these, a refusal
  // that applied is missing from summary.decisions.appliedLines.
  static nlohmann::ordered_json ofSite(const std::string& site,
                                       const nlohmann::ordered_json& siteReport,
                                       const std::vector<int>& decisionLines = {});
  // The fleet of one site that could not be merged, for `reason`; `inputs`
  // as a site's report gives them (its "custo" is left out).
  static nlohmann::ordered_json ofFailedSite(const std::string& site, const std::string& reason,
                                             const nlohmann::ordered_json& inputs);
  // Puts `fleets` together, in order, into `out`; false, with why in
  // `error` (naming the document and its site or member), when one is no
  // fleet report of this version, a site comes twice, or they were made
  // with other rules, REF, NEW or decisions file. Each fleet is one made
  // here or one `read` accepted.
  static bool combine(const std::vector<nlohmann::ordered_json>& fleets,
                      nlohmann::ordered_json& out, std::string& error);
  // Reads a fleet report given as text (a shard to combine); false, with
  // what is wrong in `error`, when it is not one `combine` can take.
  static bool read(std::string_view text, nlohmann::ordered_json& out, std::string& error);
};
