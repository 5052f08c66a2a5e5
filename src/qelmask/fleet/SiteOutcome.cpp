#include "qelmask/fleet/SiteOutcome.h"

#include <algorithm>

#include "qelmask/session/MergeSession.h"

void SiteOutcome::take(const MergeSession& session) {
  merged = true;
  const QuestionLog& log = session.questions();
  questions = log.size();
  byDecision = log.countRecorded();
  for (const RuleUsage::Entry& rule : session.rules().entries()) {
    ruleHits.push_back(rule.decided());
    byRule += rule.decided();
  }
  byRecommendation = questions - byRule - byDecision;
  for (const AccessChanges::MaskCount& count : session.accessChanges().perMask()) {
    granted += count.granted;
    revoked += count.revoked;
  }
  lost = static_cast<int>(session.lostCustomisations().entries().size());
  if (const RecordedDecisions* decisions = session.decisions()) {
    std::vector<int> stale;
    for (const RecordedDecisions::Stale& entry : decisions->stale())
      stale.push_back(entry.line->line);
    std::sort(stale.begin(), stale.end());
    for (const DecisionLine& line : decisions->lines()) {
      if (!std::binary_search(stale.begin(), stale.end(), line.line))
        appliedDecisions.push_back(line.line);
    }
  }
}
