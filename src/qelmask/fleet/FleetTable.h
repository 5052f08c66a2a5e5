#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "qelmask/decisions/DecisionLine.h"
#include "qelmask/fleet/SiteOutcome.h"
#include "qelmask/session/RuleUsage.h"

// The end of a run over several sites, on the output stream: one row per
// site (questions, how they were settled, rights granted and revoked,
// customisations lost, status), a total, then the rules that decided
// nothing in any site and the recorded decisions that applied in none.
namespace FleetTable {
struct Context {
  const std::vector<SiteOutcome>& sites;
  const char* doneWord;  // the status of a site that went through: "written"
  std::string rulesName;
  // The rules of the rule file, with no counts (RuleUsage over no question).
  const RuleUsage& rules;
  std::string decisionsName;
  const std::vector<DecisionLine>* decisions;  // null without a decisions file
};

void write(std::ostream& out, const Context& context);
}  // namespace FleetTable
