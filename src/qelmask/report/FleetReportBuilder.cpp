#include "qelmask/report/FleetReportBuilder.h"

#include "qelmask/fleet/SiteOutcome.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/report/FleetDocument.h"
#include "qelmask/report/JsonText.h"
#include "qelmask/report/ReportDocument.h"
#include "qelmask/session/MergeSession.h"

namespace {

std::vector<int> decisionLinesOf(const MergeSession& session) {
  std::vector<int> lines;
  if (const RecordedDecisions* decisions = session.decisions()) {
    for (const DecisionLine& line : decisions->lines()) lines.push_back(line.line);
  }
  return lines;
}

}  // namespace

FleetReportBuilder::FleetReportBuilder(size_t sites, Json inputs)
    : _inputs(std::move(inputs)), _built(sites), _waiting(sites) {}

void FleetReportBuilder::build(size_t index, const std::string& name, const MergeSession& session) {
  _built[index] = FleetDocument::ofSite(JsonText::of(name), ReportDocument::build(session),
                                        decisionLinesOf(session));
}

void FleetReportBuilder::done(size_t index, const SiteOutcome& outcome) {
  // Only this one touches the waiting reports: the threads build apart.
  _waiting[index] = outcome.status == kDone
                        ? std::move(_built[index])
                        : FleetDocument::ofFailedSite(JsonText::of(outcome.name),
                                                      JsonText::of(outcome.reason), _inputs);
  for (; _next < _waiting.size() && _waiting[_next]; ++_next) {
    if (_error.empty()) _combiner.add(*_waiting[_next], _error);
    _waiting[_next].reset();
  }
}

bool FleetReportBuilder::take(Json& out, std::string& error) {
  if (!_error.empty()) {
    error = _error;
    return false;
  }
  out = _combiner.take();
  return true;
}
