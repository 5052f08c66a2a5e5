#pragma once

#include <iosfwd>
#include <string>

class AccessChanges;
class LostComments;
class LostCustomisations;
class QuestionLog;
class ReadLog;
class RuleUsage;

// The text that ends a merge (and a check): the questions by kind, who
// decided them, the rights each mask gains and loses, the rules that
// decided nothing and the customer comments that the output does not carry. Its lines are stable:
// people read it, and scripts may too.
class MergeSummary {
 public:
  struct Facts {
    const QuestionLog& questions;
    const RuleUsage& rules;
    const LostComments& lostComments;
    const AccessChanges& access;
    const LostCustomisations& lostCustomisations;
    std::string rulesName;  // "" without a rule file
    std::string custoName;
    bool listAll = false;  // lists in full, else 20 lines at most
  };

  static void write(std::ostream& out, const Facts& facts);
  // "Lines the reader ignored: N", then one line each when `list` is set.
  static void writeIgnored(std::ostream& out, const ReadLog* const logs[3],
                           const std::string names[3], bool list);
  // How many lines the reader left out of the three files (comments too).
  static int ignoredCount(const ReadLog* const logs[3]);
};
