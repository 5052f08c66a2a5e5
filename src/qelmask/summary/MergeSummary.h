#pragma once

#include <iosfwd>
#include <string>

#include "qelmask/session/MaskInput.h"

class AccessChanges;
class LostComments;
class LostCustomisations;
class QuestionLog;
class RecordedDecisions;
class RuleUsage;

// The text that ends a merge (and a check): the questions by kind, who
// decided them, the rights each mask gains and loses, the rules that
// decided nothing and the customer comments that the output does not carry. Its lines are stable:
// people read it, and scripts may too.
namespace MergeSummary {
struct Facts {
  const QuestionLog& questions;
  const RuleUsage& rules;
  const LostComments& lostComments;
  const AccessChanges& access;
  const LostCustomisations& lostCustomisations;
  std::string rulesName;  // "" without a rule file
  std::string custoName;
  bool listAll = false;                          // lists in full, else 20 lines at most
  const RecordedDecisions* decisions = nullptr;  // null without a decisions file
};

void write(std::ostream& out, const Facts& facts);
// "Lines the reader ignored: N", then one line each when `list` is set.
void writeIgnored(std::ostream& out, const MaskInputs& inputs, bool list);
// How many lines the reader left out of the three files (comments too).
int ignoredCount(const MaskInputs& inputs);
}  // namespace MergeSummary
