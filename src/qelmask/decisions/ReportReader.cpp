#include "qelmask/decisions/ReportReader.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <set>

#include "qelmask/decisions/DecisionsFile.h"
#include "qelmask/report/JsonMembers.h"

using Json = JsonMembers::Json;
using JsonMembers::arrayAt;
using JsonMembers::indexed;
using JsonMembers::Invalid;
using JsonMembers::named;
using JsonMembers::shown;
using JsonMembers::wrongType;

namespace {

// A site's report, and a fleet's: the fleet keeps the members decide reads
// and their shapes (its rows name their sites too, which decide leaves).
constexpr std::string_view kFormat = "qelmask-report";
constexpr std::string_view kFleetFormat = "qelmask-fleet-report";
constexpr int kVersion = 1;

// The members that came with decisions files: a report without them was
// made by an earlier qelmask.
const char* const kEarlier = " (a report made by an earlier qelmask: make it again)";

const Json& member(const Json& object, const std::string& where, std::string_view name,
                   bool added = false) {
  return JsonMembers::member(object, where, name, added ? kEarlier : "");
}

const Json& objectAt(const Json& object, const std::string& where, std::string_view name,
                     bool added = false) {
  return JsonMembers::objectAt(object, where, name, added ? kEarlier : "");
}

std::string stringAt(const Json& object, const std::string& where, std::string_view name,
                     bool added = false) {
  const Json& value = member(object, where, name, added);
  if (!value.is_string()) wrongType(value, named(where, name), "a string");
  return value.get<std::string>();
}

std::optional<std::string> stringOrNullAt(const Json& object, const std::string& where,
                                          std::string_view name, bool added = false) {
  const Json& value = member(object, where, name, added);
  if (value.is_null()) return std::nullopt;
  if (!value.is_string()) wrongType(value, named(where, name), "a string or null");
  return value.get<std::string>();
}

int integerAt(const Json& object, const std::string& where, std::string_view name) {
  const Json& value = member(object, where, name);
  if (!value.is_number_integer()) wrongType(value, named(where, name), "a whole number");
  auto number = value.get<long long>();
  if (number < 0 || number > 1'000'000'000) {
    throw Invalid{"member \"" + named(where, name) + "\" is out of range"};
  }
  return static_cast<int>(number);
}

bool booleanAt(const Json& object, const std::string& where, std::string_view name) {
  const Json& value = member(object, where, name);
  if (!value.is_boolean()) wrongType(value, named(where, name), "true or false");
  return value.get<bool>();
}

// What a member that holds a line of a decisions file must hold.
enum class Holds { kQuestionKey, kRefusal, kAnyLine };

// One line of a decisions file as the report gives it: as qelmask writes
// it, or the report was not made by qelmask.
DecisionLine lineOf(const std::string& text, Holds holds, const std::string& what) {
  if (text.find_first_of("\r\n") != std::string::npos) {
    throw Invalid{"member \"" + what + "\" holds a line break"};
  }
  bool key = holds == Holds::kQuestionKey;
  DecisionsFile file;
  file.parse(key ? text + "\t" + DecisionLine::optionName(Choice::kRecommendation) : text);
  if (!file.problems().empty()) {
    throw Invalid{"member \"" + what + "\": " + file.problems().front().message};
  }
  if (file.lines().size() != 1) throw Invalid{"member \"" + what + "\" is no decision"};
  const DecisionLine& line = file.lines().front();
  if (key && (line.refusal || line.key() != text)) {
    throw Invalid{"member \"" + what + "\" is not the key of a question as qelmask writes it"};
  }
  if (holds == Holds::kRefusal && (!line.refusal || line.key() != text)) {
    throw Invalid{"member \"" + what + "\" is not a refusal as qelmask writes it"};
  }
  return line;
}

std::vector<ReportReader::Inner> innerOf(const Json& list, const std::string& where) {
  if (!list.is_array()) wrongType(list, where, "an array");
  std::vector<ReportReader::Inner> inner;
  for (size_t i = 0; i < list.size(); ++i) {
    std::string at = indexed(where, i);
    if (!list[i].is_object()) wrongType(list[i], at, "an object");
    ReportReader::Inner node;
    node.id = stringAt(list[i], at, "id");
    node.refusal = lineOf(stringAt(list[i], at, "refuse"), Holds::kRefusal, named(at, "refuse"));
    inner.push_back(std::move(node));
  }
  return inner;
}

ReportReader::Row rowOf(const Json& element, size_t index) {
  std::string at = indexed("decisions", index);
  if (!element.is_object()) wrongType(element, at, "an object");
  ReportReader::Row row;
  row.number = static_cast<int>(index) + 1;
  row.id = stringAt(element, at, "id");
  row.path = stringAt(element, at, "path");
  row.mask = stringOrNullAt(element, at, "mask");
  std::string choice = stringAt(element, at, "choice");
  if (choice == DecisionLine::optionName(Choice::kAlternative)) {
    row.choice = Choice::kAlternative;
  } else if (choice != DecisionLine::optionName(Choice::kRecommendation)) {
    throw Invalid{"member \"" + named(at, "choice") +
                  "\" is neither recommendation nor alternative"};
  }
  row.key = stringAt(element, at, "key", true);
  row.question = lineOf(row.key, Holds::kQuestionKey, named(at, "key"));
  row.question.choice = row.choice;
  if (stringAt(element, at, "kind") != questionKind(row.question.kind).name) {
    throw Invalid{"member \"" + named(at, "kind") + "\" is not the kind its key names"};
  }
  if (auto inner = element.find("inner"); inner != element.end()) {
    row.inner = innerOf(*inner, named(at, "inner"));
  }
  return row;
}

std::vector<ReportReader::Rule> rulesOf(const Json& list) {
  std::vector<ReportReader::Rule> rules;
  for (size_t i = 0; i < list.size(); ++i) {
    std::string at = indexed("rules", i);
    if (!list[i].is_object()) wrongType(list[i], at, "an object");
    ReportReader::Rule rule;
    rule.number = integerAt(list[i], at, "number");
    rule.stale = booleanAt(list[i], at, "stale");
    rule.suggestion = stringOrNullAt(list[i], at, "suggestion").value_or("");
    rules.push_back(std::move(rule));
  }
  return rules;
}

// summary.decisions: null, or the file the report was made with.
void keptOf(const Json& summary, ReportReader::Report& report) {
  const Json& decisions = member(summary, "summary", "decisions", true);
  if (decisions.is_null()) return;
  if (!decisions.is_object()) wrongType(decisions, "summary.decisions", "an object or null");
  const Json& kept = arrayAt(decisions, "summary.decisions", "kept");
  std::set<std::string> keys;
  for (size_t i = 0; i < kept.size(); ++i) {
    std::string at = indexed("summary.decisions.kept", i);
    if (!kept[i].is_string()) wrongType(kept[i], at, "a string");
    DecisionLine line = lineOf(kept[i].get<std::string>(), Holds::kAnyLine, at);
    if (!keys.insert(line.key()).second) {
      throw Invalid{"member \"" + at + "\" is the same decision as an earlier line"};
    }
    report.kept.push_back(std::move(line));
  }
  const Json& stale = arrayAt(decisions, "summary.decisions", "stale");
  for (size_t i = 0; i < stale.size(); ++i) {
    std::string at = indexed("summary.decisions.stale", i);
    if (!stale[i].is_object()) wrongType(stale[i], at, "an object");
    const Json& text = member(stale[i], at, "text");
    if (!text.is_string()) wrongType(text, at + ".text", "a string");
    report.stale.push_back(lineOf(text.get<std::string>(), Holds::kAnyLine, at + ".text").text());
  }
}

void checkFormat(const Json& document) {
  if (!document.is_object() || !document.contains("format")) {
    throw Invalid{"not a report of qelmask (no member \"format\")"};
  }
  const Json& format = document["format"];
  bool known = format.is_string() && (format.get_ref<const std::string&>() == kFormat ||
                                      format.get_ref<const std::string&>() == kFleetFormat);
  if (!known) {
    throw Invalid{"not a report of qelmask (format " + shown(format) + ", expected \"" +
                  std::string(kFormat) + "\" or \"" + std::string(kFleetFormat) + "\")"};
  }
  const Json& version = member(document, "", "version");
  if (!version.is_number()) wrongType(version, "version", "a number");
  if (!version.is_number_integer() || version.get<long long>() != kVersion) {
    throw Invalid{"report version " + shown(version) + ": this qelmask reads version " +
                  std::to_string(kVersion) + " (make the report again with it)"};
  }
}

// The questions first: a report of an earlier qelmask is told by their
// keys.
void readDocument(const Json& document, ReportReader::Report& report) {
  checkFormat(document);
  const Json& rows = arrayAt(document, "", "decisions");
  report.rows.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) report.rows.push_back(rowOf(rows[i], i));
  const Json& inputs = objectAt(document, "", "inputs");
  report.rulesFile = stringOrNullAt(inputs, "inputs", "rules");
  report.decisionsFile = stringOrNullAt(inputs, "inputs", "decisions", true);
  keptOf(objectAt(document, "", "summary"), report);
  report.rules = rulesOf(arrayAt(document, "", "rules"));
}

}  // namespace

std::string ReportReader::Row::label() const {
  std::string text(1, '#');
  text += std::to_string(number);
  return text;
}

bool ReportReader::read(std::string_view text, Report& report, std::string& error) {
  report = Report();
  Json document;
  if (!JsonMembers::parse(text, document, error)) return false;
  try {
    readDocument(document, report);
  } catch (const Invalid& invalid) {
    error = invalid.message;
    report = Report();
    return false;
  } catch (const Json::exception& problem) {
    // Every member is checked before it is used: this is a fault of qelmask.
    error = std::string("cannot be read: ") + problem.what();
    report = Report();
    return false;
  }
  return true;
}
