#include "qelmask/report/FleetShape.h"

#include <nlohmann/json.hpp>
#include <string_view>
#include <unordered_map>

#include "qelmask/report/FleetDocument.h"
#include "qelmask/report/JsonMembers.h"

using Json = JsonMembers::Json;
using JsonMembers::arrayAt;
using JsonMembers::indexed;
using JsonMembers::Invalid;
using JsonMembers::member;
using JsonMembers::named;
using JsonMembers::objectAt;
using JsonMembers::shown;
using JsonMembers::wrongType;

namespace {

// Far beyond any fleet, and far from where the sums of many would overflow.
constexpr long long kMaxCount = 1'000'000'000'000'000;

const std::string& stringAt(const Json& object, const std::string& where, std::string_view name) {
  const Json& value = member(object, where, name);
  if (!value.is_string()) wrongType(value, named(where, name), "a string");
  return value.get_ref<const std::string&>();
}

void stringOrNullAt(const Json& object, const std::string& where, std::string_view name) {
  const Json& value = member(object, where, name);
  if (!value.is_null() && !value.is_string()) {
    wrongType(value, named(where, name), "a string or null");
  }
}

void booleanAt(const Json& object, const std::string& where, std::string_view name) {
  const Json& value = member(object, where, name);
  if (!value.is_boolean()) wrongType(value, named(where, name), "true or false");
}

void checkCount(const Json& value, const std::string& what) {
  if (!value.is_number_integer()) wrongType(value, what, "a whole number");
  if (value.is_number_unsigned()
          ? value.get<unsigned long long>() > kMaxCount
          : value.get<long long>() < 0 || value.get<long long>() > kMaxCount) {
    throw Invalid{"member \"" + what + "\" is out of range"};
  }
}

void countsAt(const Json& object, const std::string& where,
              std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) checkCount(member(object, where, name), named(where, name));
}

// Each element of the array `name` of `object`, with where it stands.
template <typename Check>
void eachOf(const Json& object, const std::string& where, std::string_view name, Check check) {
  const Json& array = arrayAt(object, where, name);
  std::string at = named(where, name);
  for (size_t i = 0; i < array.size(); ++i) check(array[i], indexed(at, i));
}

template <typename Check>
void eachObjectOf(const Json& object, const std::string& where, std::string_view name,
                  Check check) {
  eachOf(object, where, name, [&](const Json& element, const std::string& at) {
    if (!element.is_object()) wrongType(element, at, "an object");
    check(element, at);
  });
}

void checkFormat(const Json& document) {
  if (!document.is_object() || !document.contains("format")) {
    throw Invalid{"not a fleet report of qelmask (no member \"format\")"};
  }
  const Json& format = document["format"];
  if (format != FleetDocument::kFormat) {
    throw Invalid{"not a fleet report of qelmask (format " + shown(format) + ", expected \"" +
                  FleetDocument::kFormat + "\")"};
  }
  const Json& version = member(document, "", "version");
  if (!version.is_number_integer() || version != FleetDocument::kVersion) {
    throw Invalid{"fleet report version " + shown(version) + ": this qelmask reads version " +
                  std::to_string(FleetDocument::kVersion) + " (make the report again with it)"};
  }
}

void checkInputs(const Json& document) {
  const Json& inputs = objectAt(document, "", "inputs");
  for (const char* role : {"ref", "new"}) {
    const Json& input = objectAt(inputs, "inputs", role);
    std::string at = named("inputs", role);
    stringAt(input, at, "name");
    countsAt(input, at, {"lines"});
  }
  stringOrNullAt(inputs, "inputs", "rules");
  stringOrNullAt(inputs, "inputs", "decisions");
}

void checkAccess(const Json& object, const std::string& where) {
  eachObjectOf(object, where, "access", [](const Json& entry, const std::string& at) {
    stringAt(entry, at, "mask");
    countsAt(entry, at, {"granted", "revoked", "changed", "auth"});
  });
}

// The sites, by name: where each stands in the document.
std::unordered_map<std::string, size_t> checkSites(const Json& document) {
  std::unordered_map<std::string, size_t> sites;
  eachObjectOf(document, "", "sites", [&](const Json& site, const std::string& at) {
    const std::string& name = stringAt(site, at, "name");
    if (name.empty()) throw Invalid{"member \"" + at + ".name\" is empty"};
    if (!sites.emplace(name, sites.size()).second) {
      throw Invalid{"member \"" + at + ".name\": site \"" + name + "\" is listed twice"};
    }
    const std::string& status = stringAt(site, at, "status");
    if (status != "done" && status != "failed") {
      throw Invalid{"member \"" + at + ".status\" is neither done nor failed"};
    }
    stringOrNullAt(site, at, "reason");
    countsAt(
        site, at,
        {"lines", "questions", "recommendation", "alternative", "byRule", "byDecision", "noRule",
         "staleRules", "lostCustomisations", "lostComments", "ignoredLines", "noEffect"});
    checkAccess(site, at);
  });
  return sites;
}

void checkDecisionsSummary(const Json& summary) {
  const Json& decisions = member(summary, "summary", "decisions");
  if (decisions.is_null()) return;
  const std::string at = "summary.decisions";
  if (!decisions.is_object()) wrongType(decisions, at, "an object or null");
  stringAt(decisions, at, "file");
  countsAt(decisions, at, {"lines", "applied", "questions", "refused"});
  eachObjectOf(decisions, at, "stale", [](const Json& line, const std::string& where) {
    countsAt(line, where, {"line"});
    stringAt(line, where, "text");
    stringAt(line, where, "why");
  });
  eachOf(decisions, at, "kept", [](const Json& line, const std::string& where) {
    if (!line.is_string()) wrongType(line, where, "a string");
  });
  eachOf(decisions, at, "appliedLines", checkCount);
}

void checkSummary(const Json& document) {
  const Json& summary = objectAt(document, "", "summary");
  const std::string at = "summary";
  countsAt(summary, at,
           {"questions", "recommendation", "alternative", "byRule", "noRule", "staleRules",
            "ignoredLines", "noEffect", "sites", "failed", "groups"});
  eachObjectOf(summary, at, "kinds", [](const Json& kind, const std::string& where) {
    for (const char* name : {"kind", "text", "label"}) stringAt(kind, where, name);
    countsAt(kind, where, {"count"});
    booleanAt(kind, where, "withSubtree");
  });
  for (const char* list : {"lostComments", "lostCustomisations"}) {
    eachObjectOf(summary, at, list, [](const Json& entry, const std::string& where) {
      stringAt(entry, where, "site");
    });
  }
  checkAccess(summary, at);
  checkDecisionsSummary(summary);
}

void checkRules(const Json& document) {
  eachObjectOf(document, "", "rules", [](const Json& rule, const std::string& at) {
    countsAt(rule, at, {"number", "recommendation", "alternative", "decided", "sites"});
    stringAt(rule, at, "text");
    booleanAt(rule, at, "stale");
    stringOrNullAt(rule, at, "suggestion");
  });
}

// A row names the sites where its question came up, in the document's
// order: combining appends the sites of later documents to it.
void checkRowSites(const Json& row, const std::string& at,
                   const std::unordered_map<std::string, size_t>& sites) {
  const Json& names = arrayAt(row, at, "sites");
  if (names.empty()) throw Invalid{"member \"" + at + ".sites\" is empty"};
  size_t next = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    std::string where = indexed(at + ".sites", i);
    if (!names[i].is_string()) wrongType(names[i], where, "a string");
    auto found = sites.find(names[i].get_ref<const std::string&>());
    if (found == sites.end()) throw Invalid{"member \"" + where + "\" is no site of the report"};
    if (found->second < next) {
      throw Invalid{"member \"" + where + "\" is out of the order of the sites"};
    }
    next = found->second + 1;
  }
}

void checkRows(const Json& document, const std::unordered_map<std::string, size_t>& sites) {
  eachObjectOf(document, "", "decisions", [&](const Json& row, const std::string& at) {
    member(row, at, "key");
    stringAt(row, at, "choice");
    const Json& rule = member(row, at, "rule");
    if (!rule.is_null()) checkCount(rule, named(at, "rule"));
    checkRowSites(row, at, sites);
  });
}

}  // namespace

bool FleetShape::check(const Json& document, std::string& error) {
  try {
    checkFormat(document);
    checkInputs(document);
    std::unordered_map<std::string, size_t> sites = checkSites(document);
    checkSummary(document);
    checkRules(document);
    checkRows(document, sites);
    arrayAt(document, "", "accessChanges");
    arrayAt(document, "", "authChanges");
  } catch (const Invalid& invalid) {
    error = invalid.message;
    return false;
  }
  return true;
}
