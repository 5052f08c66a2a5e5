#include "qelmask/report/FleetCombiner.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "qelmask/report/FleetDocument.h"

using Json = nlohmann::ordered_json;

namespace {

// Why a document cannot be combined with the ones before it; thrown from
// deep inside, caught by add().
struct Refusal {
  std::string message;
};

// Beyond any real fleet, and far from where a sum of two would overflow.
constexpr long long kMaxSum = std::numeric_limits<long long>::max() / 4;

long long countOf(const Json& value) { return value.get<long long>(); }

void addTo(long long& sum, const Json& value, const std::string& member) {
  long long count = countOf(value);
  if (count > kMaxSum - sum) {
    throw Refusal{"member \"" + member + "\" adds up to more than qelmask can count"};
  }
  sum += count;
}

// Adds the count `name` of `from` to that of `into`.
void addMember(Json& into, const Json& from, const char* name, const std::string& where) {
  long long sum = countOf(into.at(name));
  addTo(sum, from.at(name), where + "." + name);
  into[name] = sum;
}

const std::string& stringOf(const Json& value) { return value.get_ref<const std::string&>(); }

// What rows alike in several sites share: the question (its key), the
// option taken and the rule that took it. A row without a key is alike
// with no other.
std::optional<std::string> groupOf(const Json& row) {
  const Json& key = row.at("key");
  if (!key.is_string()) return std::nullopt;
  const std::string& text = stringOf(key);
  const std::string& choice = stringOf(row.at("choice"));
  std::string group = std::to_string(text.size()) + ':' + text;
  group += std::to_string(choice.size()) + ':' + choice;
  group += row.at("rule").dump();
  return group;
}

// A site appears once in a row however often the question came up there.
void appendSites(Json& into, const Json& from) {
  for (const Json& site : from) {
    if (into.empty() || into.back() != site) into.push_back(site);
  }
}

// The first site of `fleet` names it in messages, even one of another
// format whose sites have a name.
Json firstSiteOf(const Json& fleet) {
  if (!fleet.is_object() || !fleet.contains("sites")) return nullptr;
  const Json& sites = fleet.at("sites");
  if (!sites.is_array() || sites.empty() || !sites.front().is_object()) return nullptr;
  return sites.front().value("name", Json());
}

std::string ruleShown(const Json& rule) {
  return "rule " + rule.at("number").dump() + " " + rule.at("text").dump();
}

}  // namespace

bool FleetCombiner::add(const Json& fleet, std::string& error) {
  ++_documents;
  try {
    addDocument(fleet);
  } catch (const Refusal& refusal) {
    error = refusal.message;
    return false;
  } catch (const Json::exception& problem) {
    // The shape was checked before: this is a fault of qelmask.
    error = current() + " cannot be combined: " + problem.what();
    return false;
  }
  return true;
}

void FleetCombiner::addDocument(const Json& fleet) {
  _current = firstSiteOf(fleet);
  _firstSites.push_back(_current);
  checkFormat(fleet);
  const Json& sites = fleet.at("sites");
  takeInputs(fleet.at("inputs"));
  takeSites(sites);
  takeSummary(fleet.at("summary"));
  bool ran = std::any_of(sites.begin(), sites.end(),
                         [](const Json& site) { return site.at("status") == "done"; });
  if (ran) takeRan(fleet);
  takeRows(fleet.at("decisions"));
}

void FleetCombiner::checkFormat(const Json& fleet) const {
  const std::string expected = FleetDocument::kFormat;
  if (!fleet.is_object() || !fleet.contains("format") || fleet.at("format") != expected) {
    std::string format = fleet.is_object() && fleet.contains("format")
                             ? "format " + fleet.at("format").dump()
                             : "no member \"format\"";
    throw Refusal{current() + " is no fleet report (" + format + ", expected \"" + expected +
                  "\")"};
  }
  if (!fleet.contains("version") || fleet.at("version") != FleetDocument::kVersion) {
    throw Refusal{current() + " is a fleet report of another version (" +
                  fleet.value("version", Json()).dump() + "): this qelmask combines version " +
                  std::to_string(FleetDocument::kVersion)};
  }
}

void FleetCombiner::takeInputs(const Json& inputs) {
  if (_documents == 1) {
    _inputs = Json::object();
    for (const char* name : {"ref", "new", "rules", "decisions"}) _inputs[name] = inputs.at(name);
    return;
  }
  for (const char* role : {"ref", "new"}) {
    long long lines = countOf(inputs.at(role).at("lines"));
    long long first = countOf(_inputs.at(role).at("lines"));
    if (lines == first) continue;
    std::string upper = role == std::string("ref") ? "REF" : "NEW";
    throw Refusal{current() + " was made with another " + upper + " than document 1: inputs." +
                  role + ".lines is " + std::to_string(lines) + " there, " + std::to_string(first) +
                  " in document 1"};
  }
}

void FleetCombiner::takeSites(const Json& sites) {
  for (const Json& site : sites) {
    const std::string& name = stringOf(site.at("name"));
    auto [at, added] = _siteDocument.emplace(name, _documents);
    if (!added) {
      throw Refusal{"site \"" + name + "\" is in " +
                    (at->second == _documents ? current() + " twice"
                                              : document(at->second) + " and in " + current())};
    }
    if (site.at("status") == "failed") ++_failed;
    _sites.push_back(site);
  }
}

void FleetCombiner::takeSummary(const Json& summary) {
  for (size_t i = 0; i < kSums.size(); ++i) {
    addTo(_sums[i], summary.at(kSums[i]), std::string("summary.") + kSums[i]);
  }
  takeKinds(summary.at("kinds"));
  for (const Json& entry : summary.at("lostComments")) _lostComments.push_back(entry);
  for (const Json& entry : summary.at("lostCustomisations")) _lostCustomisations.push_back(entry);
  takeAccess(summary.at("access"));
}

void FleetCombiner::takeKinds(const Json& kinds) {
  if (_documents == 1) {
    _kinds = kinds;
    return;
  }
  auto differs = [&] {
    return Refusal{current() + ": member \"summary.kinds\" does not list the kinds of question " +
                   document(1) + " lists"};
  };
  if (kinds.size() != _kinds.size()) throw differs();
  for (size_t i = 0; i < kinds.size(); ++i) {
    for (const char* name : {"kind", "text", "label", "withSubtree"}) {
      if (kinds[i].at(name) != _kinds[i].at(name)) throw differs();
    }
    addMember(_kinds[i], kinds[i], "count", "summary.kinds[" + std::to_string(i) + "]");
  }
}

void FleetCombiner::takeAccess(const Json& access) {
  for (const Json& entry : access) {
    auto [at, added] = _accessAt.emplace(stringOf(entry.at("mask")), _access.size());
    if (added) {
      _access.push_back(entry);
      continue;
    }
    for (const char* count : {"granted", "revoked", "changed", "auth"}) {
      addMember(_access[at->second], entry, count, "summary.access");
    }
  }
}

// The rules and the decisions file are known from sites that ran only.
void FleetCombiner::takeRan(const Json& fleet) {
  if (_ranFrom == 0) _ranFrom = _documents;
  takeRules(fleet.at("rules"));
  takeDecisions(fleet.at("summary").at("decisions"));
}

void FleetCombiner::takeRules(const Json& rules) {
  if (_ranFrom == _documents) {
    _rules = rules;
    return;
  }
  std::string other = current() + " was made with other rules than " + document(_ranFrom) + ": ";
  if (rules.size() != _rules.size()) {
    throw Refusal{other + std::to_string(rules.size()) + " rules there, " +
                  std::to_string(_rules.size()) + " in " + document(_ranFrom)};
  }
  for (size_t i = 0; i < rules.size(); ++i) {
    const Json& rule = rules[i];
    Json& into = _rules[i];
    if (rule.at("number") != into.at("number") || rule.at("text") != into.at("text")) {
      throw Refusal{other + "rules[" + std::to_string(i) + "] is " + ruleShown(rule) + " there, " +
                    ruleShown(into)};
    }
    std::string where = "rules[" + std::to_string(i) + "]";
    for (const char* count : {"recommendation", "alternative", "decided", "sites"}) {
      addMember(into, rule, count, where);
    }
    if (into.at("suggestion").is_null()) into["suggestion"] = rule.at("suggestion");
  }
}

// A line of the decisions file is stale in the fleet when it is stale in
// every site that ran: the stale lists meet.
void FleetCombiner::takeDecisions(const Json& decisions) {
  bool first = _ranFrom == _documents;
  if (!first && decisions.is_null() != _decisions.is_null()) {
    throw Refusal{current() + " was made " + (decisions.is_null() ? "without" : "with") +
                  " a decisions file, " + document(_ranFrom) +
                  (decisions.is_null() ? " with one" : " without")};
  }
  if (decisions.is_null()) {
    _decisions = nullptr;
    return;
  }
  if (first) {
    _decisions = Json::object();
    for (const char* name : {"file", "lines", "kept"}) _decisions[name] = decisions.at(name);
  } else if (decisions.at("lines") != _decisions.at("lines") ||
             decisions.at("kept") != _decisions.at("kept")) {
    throw Refusal{current() + " was made with another decisions file than " + document(_ranFrom) +
                  ": member \"summary.decisions.kept\" differs"};
  }
  addTo(_decidedQuestions, decisions.at("questions"), "summary.decisions.questions");
  addTo(_refused, decisions.at("refused"), "summary.decisions.refused");
  const Json& stale = decisions.at("stale");
  if (first) {
    _stale.assign(stale.begin(), stale.end());
  } else {
    std::set<long long> lines;
    for (const Json& entry : stale) lines.insert(countOf(entry.at("line")));
    std::erase_if(_stale,
                  [&](const Json& entry) { return !lines.count(countOf(entry.at("line"))); });
  }
  for (const Json& line : decisions.at("appliedLines")) _appliedLines.insert(countOf(line));
}

void FleetCombiner::takeRows(const Json& rows) {
  for (const Json& row : rows) {
    if (std::optional<std::string> group = groupOf(row)) {
      auto [at, added] = _groups.emplace(std::move(*group), _rows.size());
      if (!added) {
        appendSites(_rows[at->second]["sites"], row.at("sites"));
        continue;
      }
    }
    _rows.push_back(row);
    Json& sites = _rows.back()["sites"];
    Json own = std::move(sites);
    sites = Json::array();
    appendSites(sites, own);
  }
}

Json FleetCombiner::take() {
  Json fleet = Json::object();
  fleet["format"] = FleetDocument::kFormat;
  fleet["version"] = FleetDocument::kVersion;
  fleet["inputs"] = std::move(_inputs);
  for (Json& rule : _rules) rule["stale"] = countOf(rule.at("decided")) == 0;
  Json summary = this->summary();
  fleet["sites"] = std::move(_sites);
  fleet["summary"] = std::move(summary);
  fleet["rules"] = std::move(_rules);
  fleet["decisions"] = std::move(_rows);
  fleet["accessChanges"] = Json::array();
  fleet["authChanges"] = Json::array();
  *this = FleetCombiner();
  return fleet;
}

Json FleetCombiner::summary() const {
  Json summary = Json::object();
  // The sums before "kinds", then the single-site summary's order.
  for (size_t i = 0; i < 5; ++i) summary[kSums[i]] = _sums[i];
  summary["kinds"] = _kinds;
  summary["staleRules"] = std::count_if(_rules.begin(), _rules.end(),
                                        [](const Json& rule) { return rule.at("stale") == true; });
  summary["lostComments"] = _lostComments;
  summary["lostCustomisations"] = _lostCustomisations;
  summary["ignoredLines"] = _sums[5];
  summary["noEffect"] = _sums[6];
  summary["access"] = _access;
  summary["decisions"] = decisionsSummary();
  summary["sites"] = _sites.size();
  summary["failed"] = _failed;
  summary["groups"] = _rows.size();
  return summary;
}

Json FleetCombiner::decisionsSummary() const {
  if (_ranFrom == 0 || _decisions.is_null()) return nullptr;
  long long lines = countOf(_decisions.at("lines"));
  long long stale = static_cast<long long>(_stale.size());
  Json summary = Json::object();
  summary["file"] = _decisions.at("file");
  summary["lines"] = lines;
  summary["applied"] = std::max(0LL, lines - stale);
  summary["questions"] = _decidedQuestions;
  summary["refused"] = _refused;
  summary["stale"] = Json(_stale);
  summary["kept"] = _decisions.at("kept");
  summary["appliedLines"] = Json(_appliedLines);
  return summary;
}

std::string FleetCombiner::current() const {
  std::string text = "document " + std::to_string(_documents);
  return _current.is_string() ? text + " (first site \"" + stringOf(_current) + "\")" : text;
}

std::string FleetCombiner::document(int number) const {
  std::string text = "document " + std::to_string(number);
  const Json& site = _firstSites.at(static_cast<size_t>(number - 1));
  return site.is_string() ? text + " (first site \"" + stringOf(site) + "\")" : text;
}
