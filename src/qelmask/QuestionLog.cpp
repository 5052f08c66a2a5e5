#include "qelmask/QuestionLog.h"

#include <algorithm>

#include "rules/MergerRule.h"
#include "tree/MergerObj.h"
#include "tree/TreeVocabulary.h"

void QuestionLog::add(const MergeObserver::Question& q) {
  int rule = q.rule ? q.rule->getNumber() : 0;
  _entries.push_back({q.kind, q.ref, q.neu, q.custo, q.created, q.choice == 2 ? 2 : 1, rule});
}

int QuestionLog::countOfKind(int kind) const {
  return static_cast<int>(std::count_if(_entries.begin(), _entries.end(),
                                        [&](const Entry& e) { return e.kind == kind; }));
}

int QuestionLog::countOfChoice(int choice) const {
  return static_cast<int>(std::count_if(_entries.begin(), _entries.end(),
                                        [&](const Entry& e) { return e.choice == choice; }));
}

bool QuestionLog::newReplacedCusto(const Entry& entry) {
  // Changed by both: the recommendation keeps the customer's, the
  // alternative NEW's; changed by version N+1 alone: the other way round.
  return (entry.kind == MergeObserver::kChangedByBoth && entry.choice == 2) ||
         (entry.kind == MergeObserver::kChangedByNew && entry.choice == 1);
}

bool QuestionLog::noEffectOnFile(const Entry& entry) {
  const MergerObj* node = entry.created;
  if (!node || node->isActive() || node->type() != gsTYPE_PROP.str()) return false;
  // A value list is lines of its own; every other property is a field.
  return node->name() != gsPROP_VALUES.str();
}

const char* QuestionLog::describeKind(int kind) {
  switch (kind) {
    case MergeObserver::kDroppedByNew:
      return "version N+1 dropped a node you still have";
    case MergeObserver::kChangedByBoth:
      return "you and version N+1 changed a value differently";
    case MergeObserver::kChangedByNew:
      return "version N+1 changed a value you had left as delivered";
    case MergeObserver::kNewInNew:
      return "version N+1 brings a node you do not have";
    default:
      return "other question";
  }
}
