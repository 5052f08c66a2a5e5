#include "qelmask/AccessChanges.h"

#include "maskfile/MergerFile.h"
#include "qelmask/DecisionRows.h"
#include "qelmask/QuestionLog.h"
#include "tree/MergerObj.h"
#include "tree/TreeVocabulary.h"

namespace {

// Calls `visit(a, b)` for the children of `type` of `before` and `after`
// (either may be null), paired by name: both lists are sorted by type,
// then name. A child alone on its side comes with null. Children of
// `after` that are left out of the output (inactive) do not count.
template <class Visit>
void pairChildren(const MergerObj* before, const MergerObj* after, std::string_view type,
                  Visit visit) {
  size_t i = 0, j = 0;
  size_t ni = before ? before->childCount() : 0, nj = after ? after->childCount() : 0;
  auto next = [&](const MergerObj* parent, size_t& k, size_t n, bool activeOnly) {
    for (; k < n; ++k) {
      const MergerObj* child = parent->childAt(k);
      if (child && child->type() == type && (!activeOnly || child->isActive())) return child;
    }
    return static_cast<const MergerObj*>(nullptr);
  };
  const MergerObj* a = ni ? next(before, i, ni, false) : nullptr;
  const MergerObj* b = nj ? next(after, j, nj, true) : nullptr;
  while (a || b) {
    int order = !a ? 1 : !b ? -1 : a->name().compare(b->name());
    visit(order <= 0 ? a : nullptr, order >= 0 ? b : nullptr);
    if (order <= 0) a = next(before, ++i, ni, false);
    if (order >= 0) b = next(after, ++j, nj, true);
  }
}

// The first child of that type and name, active or not: the writer writes
// a property's value whatever the decision on it.
const MergerObj* property(const MergerObj* attribute, std::string_view name) {
  return attribute ? attribute->findChild(gsTYPE_PROP.str(), name) : nullptr;
}

std::string idOf(const MergerObj* node) {
  std::string id;
  node->appendId(id);
  return id;
}

}  // namespace

void AccessChanges::compute(const MergerFile& custo, const MergerFile& result,
                            const QuestionLog& questions) {
  _questions = &questions;
  const std::vector<QuestionLog::Entry>& entries = questions.entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].created) _byCreated.emplace(entries[i].created, static_cast<int>(i));
    if (entries[i].custo) _byCusto.emplace(entries[i].custo, static_cast<int>(i));
  }
  // The result's masks are the customer's, copied in their order.
  std::vector<const MergerObj*> before, after;
  for (int i = 1; i <= custo.getMaskCount(); ++i) before.push_back(custo.getMaskAt(i));
  for (int i = 1; i <= result.getMaskCount(); ++i) after.push_back(result.getMaskAt(i));
  for (size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
    compareMasks(i < before.size() ? before[i] : nullptr, i < after.size() ? after[i] : nullptr);
  }
}

void AccessChanges::compareMasks(const MergerObj* before, const MergerObj* after) {
  if (!before && !after) return;
  _mask = (after ? after : before)->name();
  pairChildren(before, after, gsTYPE_ENTITY.str(),
               [&](const MergerObj* b, const MergerObj* a) { compareOwners(b, a); });
}

void AccessChanges::compareOwners(const MergerObj* before, const MergerObj* after) {
  compareLines(before, after);
  pairChildren(before, after, gsTYPE_ATTR.str(), [&](const MergerObj* b, const MergerObj* a) {
    compareLines(b, a);
    compareAuth(b, a);
  });
}

void AccessChanges::compareLines(const MergerObj* before, const MergerObj* after) {
  pairChildren(before, after, gsTYPE_ACI.str(), [&](const MergerObj* b, const MergerObj* a) {
    if (a && b && a->value() == b->value()) return;
    Entry entry;
    entry.operation = (a ? a : b)->name();
    entry.hadBefore = b != nullptr;
    entry.hasAfter = a != nullptr;
    if (b) entry.before = b->value();
    if (a) entry.after = a->value();
    bool wasYes = entry.hadBefore && entry.before == "Y";
    bool isYes = entry.hasAfter && entry.after == "Y";
    entry.change = isYes && !wasYes   ? Change::kGranted
                   : wasYes && !isYes ? Change::kRevoked
                                      : Change::kChanged;
    add(std::move(entry), b, a);
  });
}

void AccessChanges::compareAuth(const MergerObj* before, const MergerObj* after) {
  const MergerObj* b = property(before, gsPROP_AUTH.str());
  const MergerObj* a = property(after, gsPROP_AUTH.str());
  if ((a != nullptr) == (b != nullptr) && (!a || a->value() == b->value())) return;
  Entry entry;
  entry.operation = gsPROP_AUTH.str();
  entry.hadBefore = b != nullptr;
  entry.hasAfter = a != nullptr;
  if (b) entry.before = b->value();
  if (a) entry.after = a->value();
  add(std::move(entry), b, a);
}

void AccessChanges::add(Entry entry, const MergerObj* before, const MergerObj* after) {
  const MergerObj* line = after ? after : before;
  entry.mask = _mask;
  entry.node = idOf(line->getParentObj());
  findCause(before, after, entry);
  (entry.operation == gsPROP_AUTH.str() ? _auth : _access).push_back(std::move(entry));
}

// A node of the result made by a question carries its record; below it,
// what that decision brought. A customer's node that a question left out
// takes its branch with it.
void AccessChanges::findCause(const MergerObj* before, const MergerObj* after, Entry& entry) const {
  for (const MergerObj* at = after; at; at = at->getParentObj()) {
    if (auto found = _byCreated.find(at); found != _byCreated.end()) {
      entry.decision = found->second + 1;
      entry.cause = describe(found->second, at, after);
      return;
    }
  }
  for (const MergerObj* at = before; at; at = at->getParentObj()) {
    if (auto found = _byCusto.find(at); found != _byCusto.end()) {
      entry.decision = found->second + 1;
      entry.cause = describe(found->second, at, before);
      return;
    }
  }
  entry.cause = "no question on it or above it";
}

std::string AccessChanges::describe(int index, const MergerObj* on, const MergerObj* node) const {
  const QuestionLog::Entry& question = _questions->entries()[static_cast<size_t>(index)];
  std::string text;
  text += '#';
  text += std::to_string(index + 1);
  text += ' ';
  text += DecisionRows::kindName(question.kind);
  text += ": ";
  text += DecisionRows::taken(question);
  if (question.rule > 0) {
    text += " (rule #";
    text += std::to_string(question.rule);
    text += ')';
  } else {
    text += " (recommendation)";
  }
  // The question on the line's owner needs no more words: the owner is
  // named beside the cause.
  if (on != node && on != node->getParentObj()) {
    text += ", on ";
    text += idOf(on);
  }
  return text;
}

std::vector<AccessChanges::MaskCount> AccessChanges::perMask() const {
  std::vector<MaskCount> counts;
  auto countOf = [&](const std::string& mask) -> MaskCount& {
    for (MaskCount& count : counts) {
      if (count.mask == mask) return count;
    }
    counts.push_back({mask});
    return counts.back();
  };
  for (const Entry& entry : _access) {
    MaskCount& count = countOf(entry.mask);
    (entry.change == Change::kGranted   ? count.granted
     : entry.change == Change::kRevoked ? count.revoked
                                        : count.changed)++;
  }
  for (const Entry& entry : _auth) ++countOf(entry.mask).auth;
  return counts;
}

const char* AccessChanges::changeName(Change change) {
  switch (change) {
    case Change::kGranted:
      return "granted";
    case Change::kRevoked:
      return "revoked";
    default:
      return "changed";
  }
}
