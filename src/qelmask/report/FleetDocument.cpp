#include "qelmask/report/FleetDocument.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "qelmask/report/FleetCombiner.h"
#include "qelmask/report/FleetShape.h"
#include "qelmask/report/JsonMembers.h"
#include "qelmask/report/ReportDocument.h"
#include "qelmask/session/QuestionLog.h"

using Json = nlohmann::ordered_json;

namespace {

// Deeper than any fleet report: a deeper tree would be copied and written
// by recursion, one stack frame a level.
constexpr int kMaxDepth = 64;

Json inputsOf(const Json& inputs) {
  Json fleet = Json::object();
  for (const char* name : {"ref", "new", "rules", "decisions"}) fleet[name] = inputs.at(name);
  return fleet;
}

Json head(const Json& inputs) {
  Json fleet = Json::object();
  fleet["format"] = FleetDocument::kFormat;
  fleet["version"] = FleetDocument::kVersion;
  fleet["inputs"] = inputsOf(inputs);
  return fleet;
}

void appendTail(Json& fleet) {
  fleet["accessChanges"] = Json::array();
  fleet["authChanges"] = Json::array();
}

// Every count of a site, in the order of the fleet's SITE object, from
// "questions" on: the single-site summary's name of each, or null for the
// counts made here.
constexpr std::pair<const char*, const char*> kSiteCounts[] = {
    {"questions", "questions"},     {"recommendation", "recommendation"},
    {"alternative", "alternative"}, {"byRule", "byRule"},
    {"byDecision", nullptr},        {"noRule", "noRule"},
    {"staleRules", "staleRules"},   {"lostCustomisations", nullptr},
    {"lostComments", nullptr},      {"ignoredLines", "ignoredLines"},
    {"noEffect", "noEffect"}};

Json siteHead(const std::string& name, const char* status, Json reason, Json lines) {
  Json site = Json::object();
  site["name"] = name;
  site["status"] = status;
  site["reason"] = std::move(reason);
  site["lines"] = std::move(lines);
  return site;
}

Json siteOf(const std::string& name, const Json& report) {
  const Json& summary = report.at("summary");
  Json site = siteHead(name, "done", nullptr, report.at("inputs").at("custo").at("lines"));
  const Json& decisions = summary.at("decisions");
  // The counts made here hold their place until they are known.
  for (const auto& [count, from] : kSiteCounts) site[count] = from ? summary.at(from) : Json(0);
  site["byDecision"] = decisions.is_null() ? Json(0) : decisions.at("questions");
  site["lostCustomisations"] = summary.at("lostCustomisations").size();
  site["lostComments"] = summary.at("lostComments").size();
  site["access"] = summary.at("access");
  return site;
}

Json failedSiteOf(const std::string& name, const std::string& reason) {
  Json site = siteHead(name, "failed", reason, 0);
  for (const auto& [count, from] : kSiteCounts) site[count] = 0;
  site["access"] = Json::array();
  return site;
}

// Each entry of a site's list, with the site it came from first.
Json withSite(const std::string& site, const Json& entries) {
  Json list = Json::array();
  for (const Json& entry : entries) {
    Json named = Json::object();
    named["site"] = site;
    for (const auto& [key, value] : entry.items()) named[key] = value;
    list.push_back(std::move(named));
  }
  return list;
}

// The lines of the decisions file that applied in the site: those not
// stale. The report gives the line of stale ones only: without
// `decisionLines`, those the rows name are all that is known.
Json appliedLinesOf(const Json& decisions, const Json& rows,
                    const std::vector<int>& decisionLines) {
  std::set<long long> stale, applied;
  for (const Json& entry : decisions.at("stale")) stale.insert(entry.at("line").get<long long>());
  if (decisionLines.size() == decisions.at("kept").size()) {
    for (int line : decisionLines) {
      if (!stale.count(line)) applied.insert(line);
    }
  } else {
    for (const Json& row : rows) {
      const Json& decision = row.at("decision");
      if (decision.is_object()) applied.insert(decision.at("line").get<long long>());
    }
  }
  return Json(applied);
}

Json decisionsOf(const Json& decisions, const Json& rows, const std::vector<int>& decisionLines) {
  if (decisions.is_null()) return nullptr;
  Json summary = decisions;
  summary["appliedLines"] = appliedLinesOf(decisions, rows, decisionLines);
  return summary;
}

// The members of a fleet's summary that combining reads; the others it
// makes.
Json summaryOf(const std::string& site, const Json& report, const std::vector<int>& decisionLines) {
  const Json& single = report.at("summary");
  Json summary = Json::object();
  for (const char* count : {"questions", "recommendation", "alternative", "byRule", "noRule",
                            "ignoredLines", "noEffect"}) {
    summary[count] = single.at(count);
  }
  summary["kinds"] = single.at("kinds");
  summary["lostComments"] = withSite(site, single.at("lostComments"));
  summary["lostCustomisations"] = withSite(site, single.at("lostCustomisations"));
  summary["access"] = single.at("access");
  summary["decisions"] = decisionsOf(single.at("decisions"), report.at("decisions"), decisionLines);
  return summary;
}

Json failedSummary() {
  Json summary = Json::object();
  for (const char* count : {"questions", "recommendation", "alternative", "byRule", "noRule",
                            "ignoredLines", "noEffect"}) {
    summary[count] = 0;
  }
  summary["kinds"] = ReportDocument::kindsOf(QuestionLog());
  summary["lostComments"] = Json::array();
  summary["lostCustomisations"] = Json::array();
  summary["access"] = Json::array();
  summary["decisions"] = nullptr;
  return summary;
}

// Each element of `list`, with the member "sites" added last.
Json withSites(const Json& list, const Json& sites) {
  Json fleet = Json::array();
  for (const Json& element : list) {
    Json copy = element;
    copy["sites"] = sites;
    fleet.push_back(std::move(copy));
  }
  return fleet;
}

Json rulesOf(const Json& rules) {
  Json fleet = Json::array();
  for (const Json& rule : rules) {
    Json copy = rule;
    copy["sites"] = rule.at("decided").get<long long>() > 0 ? 1 : 0;
    fleet.push_back(std::move(copy));
  }
  return fleet;
}

// A fleet of one site as combining makes it: rows alike within the site
// grouped, and the counts combining makes filled in.
Json finished(const Json& fleet) {
  FleetCombiner combiner;
  std::string error;
  if (!combiner.add(fleet, error)) throw std::invalid_argument(error);
  return combiner.take();
}

// Whether `text` nests arrays and objects deeper than kMaxDepth.
bool tooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxDepth) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

// A shard of one site is a site's own report: what `report` writes for
// one mask.
bool isSiteReport(const Json& document) {
  if (!document.is_object()) return false;
  auto format = document.find("format");
  return format != document.end() && format->is_string() &&
         format->get<std::string>() == ReportDocument::kFormat;
}

// The fleet of that one site, named after its mask's file. Whatever the
// report lacks or holds wrongly is told, not thrown.
bool asFleet(Json& document, std::string& error) {
  try {
    std::string custo = document.at("inputs").at("custo").at("name").get<std::string>();
    std::string site = std::filesystem::path(custo).filename().string();
    document = FleetDocument::ofSite(site, document);
    return true;
  } catch (const std::exception& problem) {
    // A member missing or of another type, or rows that do not go together.
    error = std::string("a report of one site this qelmask cannot take: ") + problem.what();
    return false;
  }
}

}  // namespace

Json FleetDocument::ofSite(const std::string& site, const Json& siteReport,
                           const std::vector<int>& decisionLines) {
  Json fleet = head(siteReport.at("inputs"));
  fleet["sites"] = Json::array({siteOf(site, siteReport)});
  fleet["summary"] = summaryOf(site, siteReport, decisionLines);
  fleet["rules"] = rulesOf(siteReport.at("rules"));
  fleet["decisions"] = withSites(siteReport.at("decisions"), Json::array({site}));
  appendTail(fleet);
  return finished(fleet);
}

Json FleetDocument::ofFailedSite(const std::string& site, const std::string& reason,
                                 const Json& inputs) {
  Json fleet = head(inputs);
  fleet["sites"] = Json::array({failedSiteOf(site, reason)});
  fleet["summary"] = failedSummary();
  fleet["rules"] = Json::array();
  fleet["decisions"] = Json::array();
  appendTail(fleet);
  return finished(fleet);
}

bool FleetDocument::combine(const std::vector<Json>& fleets, Json& out, std::string& error) {
  if (fleets.empty()) {
    error = "no fleet report to combine";
    return false;
  }
  FleetCombiner combiner;
  for (const Json& fleet : fleets) {
    if (!combiner.add(fleet, error)) return false;
  }
  out = combiner.take();
  return true;
}

bool FleetDocument::read(std::string_view text, Json& out, std::string& error) {
  out = Json();
  if (tooDeep(text)) {
    error = "not a fleet report of qelmask: nested deeper than " + std::to_string(kMaxDepth) +
            " levels";
    return false;
  }
  Json document;
  if (!JsonMembers::parse(text, document, error)) return false;
  if (isSiteReport(document) && !asFleet(document, error)) return false;
  if (!FleetShape::check(document, error)) return false;
  out = std::move(document);
  return true;
}
