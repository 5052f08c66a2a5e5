#pragma once

#include <optional>
#include <vector>

#include "merge/MergeObserver.h"

class MergerObj;

// Every question a merge raised, in the order it settled them, with how:
// the nodes of its identity, the node it created, the option taken and the
// deciding rule. The summary counts from it; a report can list it.
class QuestionLog {
 public:
  struct Entry {
    QuestionKind kind;
    const MergerObj* ref;
    const MergerObj* neu;
    const MergerObj* custo;
    const MergerObj* created;  // may be null
    Choice choice;
    std::optional<int> rule;  // the deciding rule's line, when a rule decided
    // The recorded choice that decided instead, or null; alive as long as
    // the session.
    const MergeDecider::Decision* decision;

    const QuestionOption& taken() const { return questionKind(kind).option(choice); }
  };

  void add(const MergeObserver::Question& question);

  const std::vector<Entry>& entries() const { return _entries; }
  int size() const { return static_cast<int>(_entries.size()); }
  int countOfKind(QuestionKind kind) const;
  int countOfChoice(Choice choice) const;
  // How many a recorded choice settled.
  int countRecorded() const;
  // Whether version N+1's node took the place of the customer's in the
  // output: NEW's node was kept.
  static bool newReplacedCusto(const Entry& entry);
  // Whether the question left out a property that its entity or attribute
  // line still writes as a field (the format has no absent field): the
  // value stays in the file, whatever the decision.
  static bool noEffectOnFile(const Entry& entry);

 private:
  std::vector<Entry> _entries;
};
