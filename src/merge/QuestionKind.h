#pragma once

#include <array>

#include "merge/MergeActions.h"

// The kinds of question the three versions of a node can raise, when the
// merge cannot settle them alone. Everything that names or answers a kind
// (the walk, the rules it asks, the summary, the report and its page) reads
// it from the table below.
enum class QuestionKind {
  kDroppedByNew = 1,   // version N+1 dropped a node the customer still has
  kChangedByBoth = 2,  // both changed a value, differently
  kChangedByNew = 3,   // version N+1 changed a value the customer left
  kNewInNew = 4,       // version N+1 brings a node the customer lacks
};

// Which option settled a question. The values are the codes the rule
// search answers with.
enum class Choice { kRecommendation = 1, kAlternative = 2 };

// Whose node an option acts on.
enum class Side { kNew, kCusto };

// One of the two options of a question: an action on one side's node.
struct QuestionOption {
  const MergeAction& action;
  Side side;
  const char* text;  // "IGNORE CUSTO": the action and the side, as reports name it

  // The node code a rule names to choose this option.
  int ruleNode() const;
};

struct QuestionKindInfo {
  QuestionKind kind;
  const char* name;     // its name in JSON and in reports
  const char* wording;  // in the administrator's words, for the summary
  const char* label;    // a few words, for the page's charts and filters
  QuestionOption recommendation;
  QuestionOption alternative;
  // Whether its alternative keeps a node whose whole subtree one recorded
  // choice may settle the same way ("with-subtree").
  bool withSubtree;

  const QuestionOption& option(Choice choice) const {
    return choice == Choice::kAlternative ? alternative : recommendation;
  }
};

// The four kinds, in the order of their codes.
const std::array<QuestionKindInfo, 4>& questionKinds();
const QuestionKindInfo& questionKind(QuestionKind kind);
