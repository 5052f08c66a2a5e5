#pragma once

#include <string>
#include <unordered_map>

#include "qelmask/session/QuestionLog.h"

class MergerObj;

// Which decision of a merge made a node of the result or left out a node of
// the customer's mask: the question on the node itself or, failing that,
// on the nearest node above it, whose decision took the whole branch.
class DecisionCause {
 public:
  struct Cause {
    int decision = 0;  // the question's number in the merge's order; 0 when none
    std::string text;  // "#12 <kind>: IGNORE CUSTO (rule #3), on E::PART/A::V_old"
  };

  explicit DecisionCause(const QuestionLog& questions);

  // The cause of a change between the customer's `before` and the result's
  // `after` (either may be null). `owner`, when given, is named beside the
  // cause already and is not repeated.
  Cause of(const MergerObj* before, const MergerObj* after, const MergerObj* owner = nullptr) const;
  // The question a cause names by its number.
  const QuestionLog::Entry& question(int decision) const;

 private:
  std::string describe(int index, const MergerObj* on, const MergerObj* node,
                       const MergerObj* owner) const;

  const QuestionLog& _questions;
  std::unordered_map<const MergerObj*, int> _byCreated, _byCusto;
};
