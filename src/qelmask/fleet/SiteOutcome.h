#pragma once

#include <string>
#include <vector>

class MergeSession;

// What became of one site of a run: the figures of its row in the final
// table, and what the fleet's summary gathers across sites.
struct SiteOutcome {
  std::string name;
  int status = 0;       // the site's exit status (ExitStatus)
  std::string reason;   // why it failed, or ""
  bool merged = false;  // whether its merge ran (its figures count)
  int questions = 0, byRule = 0, byDecision = 0, byRecommendation = 0;
  int granted = 0, revoked = 0, lost = 0;
  // How many questions each rule decided, in rule file order.
  std::vector<int> ruleHits;
  // The lines of the decisions file that applied in this site, by number.
  std::vector<int> appliedDecisions;

  // The figures of a session whose merge is over.
  void take(const MergeSession& session);
};
