#include "qelmask/AccessChanges.h"

#include <algorithm>

#include "maskfile/MergerFile.h"
#include "tree/MergerObj.h"
#include "tree/TreeVocabulary.h"

namespace {

// Where the children of `type` stand among the children of `parent`:
// children sort by type first (a missing child last), so two searches find
// them without reading the others.
std::pair<size_t, size_t> typeRange(const MergerObj* parent, std::string_view type) {
  if (!parent) return {0, 0};
  auto search = [&](size_t from, bool past) {
    size_t low = from, high = parent->childCount();
    while (low < high) {
      size_t middle = low + (high - low) / 2;
      const MergerObj* child = parent->childAt(middle);
      bool before = child && (past ? child->type() <= type : child->type() < type);
      if (before) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return low;
  };
  size_t first = search(0, false);
  return {first, search(first, true)};
}

// Calls `visit(a, b)` for the children of `type` of `before` and `after`
// (either may be null), paired by name: both lists are sorted by type,
// then name, and children of the same name pair in order, as the merge
// made them. A child alone on its side comes with null; so does a child of
// `after` left out of the output (inactive), after taking its partner.
template <class Visit>
void pairChildren(const MergerObj* before, const MergerObj* after, std::string_view type,
                  Visit visit) {
  auto [i, ni] = typeRange(before, type);
  auto [j, nj] = typeRange(after, type);
  while (i < ni || j < nj) {
    const MergerObj* a = i < ni ? before->childAt(i) : nullptr;
    const MergerObj* b = j < nj ? after->childAt(j) : nullptr;
    int order = !a ? 1 : !b ? -1 : a->name().compare(b->name());
    const MergerObj* written = order >= 0 && b->isActive() ? b : nullptr;
    if (order <= 0 || written) visit(order <= 0 ? a : nullptr, written);
    if (order <= 0) ++i;
    if (order >= 0) ++j;
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
  _causes = std::make_unique<DecisionCause>(questions);
  // The result's masks are the customer's, copied in their order.
  int count = std::max(custo.getMaskCount(), result.getMaskCount());
  for (int i = 1; i <= count; ++i) {
    compareMasks(i <= custo.getMaskCount() ? custo.getMaskAt(i) : nullptr,
                 i <= result.getMaskCount() ? result.getMaskAt(i) : nullptr);
  }
}

void AccessChanges::compareMasks(const MergerObj* before, const MergerObj* after) {
  if (!before && !after) return;
  _mask = after ? after : before;
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
    bool wasYes = b && b->value() == "Y";
    bool isYes = a && a->value() == "Y";
    Change change = isYes && !wasYes   ? Change::kGranted
                    : wasYes && !isYes ? Change::kRevoked
                                       : Change::kChanged;
    _access.push_back({_mask, b, a, change});
  });
}

void AccessChanges::compareAuth(const MergerObj* before, const MergerObj* after) {
  const MergerObj* b = property(before, gsPROP_AUTH.str());
  const MergerObj* a = property(after, gsPROP_AUTH.str());
  if ((a != nullptr) == (b != nullptr) && (!a || a->value() == b->value())) return;
  _auth.push_back({_mask, b, a, Change::kChanged});
}

std::string AccessChanges::owner(const Entry& entry) {
  return idOf((entry.after ? entry.after : entry.before)->getParentObj());
}

std::string_view AccessChanges::operation(const Entry& entry) {
  return (entry.after ? entry.after : entry.before)->name();
}

std::string_view AccessChanges::valueBefore(const Entry& entry) {
  return entry.before ? entry.before->value() : std::string_view();
}

std::string_view AccessChanges::valueAfter(const Entry& entry) {
  return entry.after ? entry.after->value() : std::string_view();
}

DecisionCause::Cause AccessChanges::cause(const Entry& entry) const {
  const MergerObj* line = entry.after ? entry.after : entry.before;
  return _causes->of(entry.before, entry.after, line->getParentObj());
}

std::vector<AccessChanges::MaskCount> AccessChanges::perMask() const {
  std::vector<MaskCount> counts;
  auto countOf = [&](const MergerObj* mask) -> MaskCount& {
    std::string_view name = mask->name();
    for (MaskCount& count : counts) {
      if (count.mask == name) return count;
    }
    counts.push_back({std::string(name)});
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
