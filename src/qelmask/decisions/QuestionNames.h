#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "qelmask/decisions/ReportReader.h"

// The questions of a report as an administrator names them on the command
// line: by number ("12" or "#12", from 1, as the report counts them) or as
// MASK:IDENTIFIER, the identifier being a question's node as its review
// record names it or its path, or a node below a node version N+1 added.
// Rows of the same key are one question: the merge cannot tell them apart.
class QuestionNames {
 public:
  // What a name designates: a question, or a node that can be left out of
  // the node version N+1 added (then `row` is that node's question).
  struct Target {
    const ReportReader::Row* row = nullptr;
    const ReportReader::Inner* inner = nullptr;
  };

  // `report` must outlive this object and the targets it gives.
  explicit QuestionNames(const ReportReader::Report& report) : _report(report) {}

  // False, with why in `error`, when `name` designates no question, or
  // several that the merge tells apart.
  bool resolve(std::string_view name, Target& target, std::string& error) const;

 private:
  bool byNumber(std::string_view digits, Target& target, std::string& error) const;
  bool byIdentifier(std::string_view name, Target& target, std::string& error) const;
  std::vector<Target> matches(std::string_view mask, std::string_view identifier) const;

  const ReportReader::Report& _report;
};
