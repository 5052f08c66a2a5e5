// Any bytes as a report's JSON for qelmask decide: read, and when it is a
// report, every question named by number and by mask and identifier, the
// alternative taken for each, and the rules written for the lines.
#include <cstdlib>

#include "FuzzSupport.h"
#include "qelmask/decisions/DecisionChoices.h"
#include "qelmask/decisions/QuestionNames.h"
#include "qelmask/decisions/ReportReader.h"
#include "qelmask/decisions/RulesFromDecisions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReportReader::Report report;
  std::string error;
  if (!ReportReader::read(fuzz::text(data, size), report, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  QuestionNames names(report);
  DecisionChoices choices(report.kept);
  for (const ReportReader::Row& row : report.rows) {
    QuestionNames::Target target;
    if (!names.resolve(std::to_string(row.number), target, error) || target.row->key != row.key)
      std::abort();
    if (row.mask) names.resolve(*row.mask + ":" + row.id, target, error);
    choices.take(row.question, Choice::kAlternative, row.number % 2 == 0);
    if (!row.inner) continue;
    for (const ReportReader::Inner& inner : *row.inner) choices.refuse(inner.refusal);
  }
  RulesFromDecisions rules(report, choices.lines());
  rules.text({"report.json", "decisions.txt"}, std::string("KEEP NEW E::X\n"));
  return 0;
}
