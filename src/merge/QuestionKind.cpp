#include "merge/QuestionKind.h"

#include "rules/MergerRule.h"

int QuestionOption::ruleNode() const {
  return side == Side::kCusto ? gnRuleNodeCus : gnRuleNodeNew;
}

const std::array<QuestionKindInfo, 4>& questionKinds() {
  static const std::array<QuestionKindInfo, 4> kKinds{{
      {QuestionKind::kDroppedByNew,
       "dropped-by-new",
       "version N+1 dropped a node you still have",
       "dropped by N+1",
       {MergeAction::kIgnore, Side::kCusto, "IGNORE CUSTO"},
       {MergeAction::kKeep, Side::kCusto, "KEEP CUSTO"},
       true},
      {QuestionKind::kChangedByBoth,
       "changed-by-both",
       "you and version N+1 changed a value differently",
       "changed by both",
       {MergeAction::kKeep, Side::kCusto, "KEEP CUSTO"},
       {MergeAction::kKeep, Side::kNew, "KEEP NEW"},
       false},
      {QuestionKind::kChangedByNew,
       "changed-by-new",
       "version N+1 changed a value you had left as delivered",
       "changed by N+1",
       {MergeAction::kKeep, Side::kNew, "KEEP NEW"},
       {MergeAction::kKeep, Side::kCusto, "KEEP CUSTO"},
       false},
      {QuestionKind::kNewInNew,
       "new-in-new",
       "version N+1 brings a node you do not have",
       "new in N+1",
       {MergeAction::kAdd, Side::kNew, "ADD NEW"},
       {MergeAction::kIgnore, Side::kNew, "IGNORE NEW"},
       false},
  }};
  return kKinds;
}

const QuestionKindInfo& questionKind(QuestionKind kind) {
  return questionKinds()[static_cast<size_t>(kind) - 1];
}
