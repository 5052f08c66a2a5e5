#pragma once

#include "merge/MergeDecider.h"
#include "merge/QuestionKind.h"
#include "tree/CloneMode.h"

class MergerObj;
class MergerRule;

// Told what the merge does, as it does it, by a tool that reports on a
// merge; it changes nothing. By default it ignores everything.
class MergeObserver {
 public:
  // One question the three versions raised, and how it was settled.
  struct Question {
    QuestionKind kind;
    const MergerObj* ref;  // the nodes the merge stood on; any may be null
    const MergerObj* neu;
    const MergerObj* custo;
    const MergerObj* created;  // the node made in the result, or null
    Choice choice;
    const MergerRule* rule;  // the deciding rule, or null; alive during the call only
    // The recorded choice that decided instead of the rules, or null.
    const MergeDecider::Decision* decision = nullptr;
  };

  virtual ~MergeObserver() = default;
  // A node of the result was copied from `source` in `mode`.
  virtual void nodeCloned(const MergerObj* /*source*/, const MergerObj* /*copy*/,
                          CloneMode /*mode*/) {}
  virtual void questionSettled(const Question& /*question*/) {}
  // A node below one version N+1 brings was left out of its copy by a
  // recorded choice; `record` is the inactive node that carries the choice.
  virtual void innerRefused(const MergerObj* /*inner*/, const MergerObj* /*record*/,
                            const MergeDecider::Decision& /*decision*/) {}
};
