#include "qelmask/summary/DecisionCause.h"

#include "qelmask/session/QuestionLog.h"
#include "tree/MergerObj.h"

DecisionCause::DecisionCause(const QuestionLog& questions) : _questions(questions) {
  const std::vector<QuestionLog::Entry>& entries = questions.entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].created) _byCreated.emplace(entries[i].created, static_cast<int>(i));
    if (entries[i].custo) _byCusto.emplace(entries[i].custo, static_cast<int>(i));
  }
}

// A node of the result made by a question carries its record; below it,
// what that decision brought. A customer's node that a question left out
// takes its branch with it.
DecisionCause::Cause DecisionCause::of(const MergerObj* before, const MergerObj* after,
                                       const MergerObj* owner) const {
  for (const MergerObj* at = after; at; at = at->getParentObj()) {
    if (auto found = _byCreated.find(at); found != _byCreated.end())
      return {found->second + 1, describe(found->second, at, after, owner)};
  }
  for (const MergerObj* at = before; at; at = at->getParentObj()) {
    if (auto found = _byCusto.find(at); found != _byCusto.end())
      return {found->second + 1, describe(found->second, at, before, owner)};
  }
  return {0, "no question on it or above it"};
}

const QuestionLog::Entry& DecisionCause::question(int decision) const {
  return _questions.entries()[static_cast<size_t>(decision - 1)];
}

std::string DecisionCause::describe(int index, const MergerObj* on, const MergerObj* node,
                                    const MergerObj* owner) const {
  const QuestionLog::Entry& question = _questions.entries()[static_cast<size_t>(index)];
  std::string text;
  text += '#';
  text += std::to_string(index + 1);
  text += ' ';
  text += questionKind(question.kind).name;
  text += ": ";
  text += question.taken().text;
  if (question.decision) {
    text += " (decision ";
    text += *question.decision->file;
    text += ':';
    text += std::to_string(question.decision->line);
    text += ')';
  } else if (question.rule) {
    text += " (rule #";
    text += std::to_string(*question.rule);
    text += ')';
  } else {
    text += " (recommendation)";
  }
  if (on != node && on != owner) {
    // An owner given twice is one owner by name.
    std::string where, ownerId;
    on->appendId(where);
    if (owner) owner->appendId(ownerId);
    if (where != ownerId) {
      text += ", on ";
      text += where;
    }
  }
  return text;
}
