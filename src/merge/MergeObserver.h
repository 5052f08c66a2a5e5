#pragma once

class MergerObj;
class MergerRule;

// Told what the merge does, as it does it, by a tool that reports on a
// merge; it changes nothing. By default it ignores everything.
class MergeObserver {
 public:
  // One question the three versions raised, and how it was settled.
  struct Question {
    int kind;              // 1 to 4 (see below)
    const MergerObj* ref;  // the nodes the merge stood on; any may be null
    const MergerObj* neu;
    const MergerObj* custo;
    const MergerObj* created;  // the node made in the result, or null
    int choice;                // 1 the recommendation, 2 the alternative
    const MergerRule* rule;    // the deciding rule, or null; alive during the call only
  };
  // The kinds of questions.
  static constexpr int kDroppedByNew = 1;   // version N+1 dropped a node the customer has
  static constexpr int kChangedByBoth = 2;  // both changed it, differently
  static constexpr int kChangedByNew = 3;   // version N+1 changed what the customer kept
  static constexpr int kNewInNew = 4;       // version N+1 brought a node the customer lacks

  virtual ~MergeObserver() = default;
  // A node of the result was copied from `source`: alone (mode 0, or 99
  // when it only carries a record) or with its whole subtree (mode 1).
  virtual void nodeCloned(const MergerObj* /*source*/, const MergerObj* /*copy*/, int /*mode*/) {}
  virtual void questionSettled(const Question& /*question*/) {}
};
