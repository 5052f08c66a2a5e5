#include "qelmask/session/SharedInputs.h"

#include "qelmask/decisions/DecisionsFile.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/session/MaskReading.h"
#include "qelmask/session/RuleFileReader.h"
#include "rules/MergerRule.h"

SharedInputs::SharedInputs(Names names, Diagnostics& diagnostics)
    : _names(std::move(names)), _diagnostics(diagnostics) {
  _ref.name = _names.ref;
  _neu.name = _names.neu;
}

SharedInputs::~SharedInputs() { MergerRule::end(); }

int SharedInputs::loadRules() {
  if (_names.rules.empty()) return kDone;
  RuleFileReader reader;
  std::string error;
  if (!reader.load(_names.rules, error)) {
    _diagnostics.error(_names.rules, error);
    return kInputProblem;
  }
  if (reader.crlf()) _diagnostics.note(_names.rules, "CRLF line ends, read as LF");
  for (const RuleFileReader::Problem& problem : reader.problems()) {
    _diagnostics.errorAt(_names.rules, problem.line, problem.message);
  }
  _ruleProblems = static_cast<int>(reader.problems().size());
  if (_ruleProblems > 0) return kInputProblem;
  _diagnostics.progress() << "Rules: " << reader.ruleCount() << " from " << _names.rules << "\n";
  return kDone;
}

int SharedInputs::loadDecisions() {
  if (_names.decisions.empty()) return kDone;
  DecisionsFile file;
  if (!file.load(_names.decisions, _diagnostics)) return kInputProblem;
  _diagnostics.progress() << "Decisions: " << file.lines().size() << " from " << _names.decisions
                          << "\n";
  _decisionLines = file.lines();
  return kDone;
}

int SharedInputs::readDefaults() {
  MaskInput* inputs[2] = {&_ref, &_neu};
  std::string bytes[2];
  if (int status = MaskReading::load(inputs, bytes, 2, _diagnostics); status != kDone)
    return status;
  MaskReading::parse(inputs, bytes, 2, _diagnostics);
  return kDone;
}
