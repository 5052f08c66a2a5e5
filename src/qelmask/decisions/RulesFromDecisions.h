#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "qelmask/decisions/DecisionLine.h"
#include "qelmask/decisions/ReportReader.h"

// A rule file that comes as close to a decisions file as rules can, for
// scripts that run the merger, which reads no decisions file. A decision
// holds for one question; a rule for every question its path names, in
// one mask for the customer's side and in every mask for version N+1's
// (whose nodes all lie in its DEFAULT mask), and the first rule that
// matches decides. So each rule is written with the other questions of the
// report it decides, and a choice no rule can take without deciding
// another chosen question otherwise is written as a comment, with why.
// The rule file the report was made with follows, its stale rules marked.
class RulesFromDecisions {
 public:
  // `report` and `lines` (by key, as DecisionChoices holds them) are read
  // here only.
  RulesFromDecisions(const ReportReader::Report& report,
                     const std::map<std::string, DecisionLine>& lines);

  // Where the choices came from, for the file's first lines.
  struct Origin {
    std::string report;     // the report's JSON
    std::string decisions;  // the decisions file written
  };
  // The whole file; `ruleFile` holds the bytes of the report's rule file,
  // when it was made with one.
  std::string text(const Origin& origin, const std::optional<std::string>& ruleFile) const;

  int ruleCount() const { return _ruleCount; }
  // The decision lines written as comments: no rule can take them.
  int notRuleCount() const { return _notRuleCount; }

 private:
  void appendRuleFile(std::string& text, const std::string& bytes) const;

  const ReportReader::Report& _report;
  std::vector<std::string> _lines;  // for the decisions, each without its line feed
  int _ruleCount = 0;
  int _notRuleCount = 0;
};
