#include "qelmask/session/QuestionLog.h"

#include <algorithm>

#include "rules/MergerRule.h"
#include "tree/MergerObj.h"
#include "tree/TreeVocabulary.h"

void QuestionLog::add(const MergeObserver::Question& q) {
  std::optional<int> rule;
  if (q.rule) rule = q.rule->getNumber();
  _entries.push_back({q.kind, q.ref, q.neu, q.custo, q.created, q.choice, rule, q.decision});
}

int QuestionLog::countOfKind(QuestionKind kind) const {
  return static_cast<int>(std::count_if(_entries.begin(), _entries.end(),
                                        [&](const Entry& e) { return e.kind == kind; }));
}

int QuestionLog::countOfChoice(Choice choice) const {
  return static_cast<int>(std::count_if(_entries.begin(), _entries.end(),
                                        [&](const Entry& e) { return e.choice == choice; }));
}

int QuestionLog::countRecorded() const {
  return static_cast<int>(std::count_if(_entries.begin(), _entries.end(),
                                        [](const Entry& e) { return e.decision != nullptr; }));
}

bool QuestionLog::newReplacedCusto(const Entry& entry) {
  const QuestionOption& taken = entry.taken();
  return taken.side == Side::kNew && &taken.action == &MergeAction::kKeep;
}

bool QuestionLog::noEffectOnFile(const Entry& entry) {
  const MergerObj* node = entry.created;
  if (!node || node->isActive() || node->type() != gsTYPE_PROP.str()) return false;
  // A value list is lines of its own; every other property is a field.
  return node->name() != gsPROP_VALUES.str();
}
