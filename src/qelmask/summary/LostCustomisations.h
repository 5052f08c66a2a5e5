#pragma once

#include <string>
#include <vector>

class DecisionCause;
class MergerObj;
class QuestionLog;

// What the customer made that the merged mask does not carry: nodes of the
// customer's own (not in version N) and values the customer changed, each
// with the decision that left it out. A merge leaves a customer's node out
// only by a question: a value replaced by version N+1's, or a node that
// version N+1 dropped, taken with its branch; a branch of the customer's
// own inside it counts once, at its top.
class LostCustomisations {
 public:
  struct Entry {
    std::string mask;
    std::string node;  // the customer's node, as its review record names it
    bool own;          // a node of the customer's own, else a value the customer changed
    int decision;      // the question's number, 0 when none
    std::string cause;
  };

  // From the questions of a merge, whose nodes must still be alive.
  void compute(const QuestionLog& questions, const DecisionCause& causes);
  const std::vector<Entry>& entries() const { return _entries; }

 private:
  // The customisations in the branch of the customer's `custo`, which
  // version N holds as `ref` (may be null: then it is the customer's own).
  void walk(const MergerObj* custo, const MergerObj* ref);
  void add(const MergerObj* node, bool own);

  const DecisionCause* _causes = nullptr;  // while computing
  std::vector<Entry> _entries;
};
