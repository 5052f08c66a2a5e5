#include "qelmask/summary/AccessChanges.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

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

// The children of one name under one node, next to each other since
// children sort by type, then name. On the merged side a child left out of
// the output (inactive) is no part of it.
struct Run {
  const MergerObj* parent = nullptr;
  size_t begin = 0, end = 0;

  size_t size() const { return end - begin; }
  const MergerObj* at(size_t k) const { return parent->childAt(begin + k); }
  size_t written() const {
    size_t count = 0;
    for (size_t k = 0; k < size(); ++k) count += at(k)->isActive() ? 1 : 0;
    return count;
  }
  const MergerObj* firstWritten() const {
    for (size_t k = 0; k < size(); ++k) {
      if (at(k)->isActive()) return at(k);
    }
    return nullptr;
  }
};

// Calls `visit(b, a)` for the runs of children of `type` of `before` and
// `after` (either may be null), paired by name: a run alone on its side
// comes with an empty one.
template <class Visit>
void pairRuns(const MergerObj* before, const MergerObj* after, std::string_view type, Visit visit) {
  auto [i, ni] = typeRange(before, type);
  auto [j, nj] = typeRange(after, type);
  auto runEnd = [](const MergerObj* parent, size_t k, size_t n) {
    std::string_view name = parent->childAt(k)->name();
    for (++k; k < n && parent->childAt(k)->name() == name;) ++k;
    return k;
  };
  while (i < ni || j < nj) {
    const MergerObj* b = i < ni ? before->childAt(i) : nullptr;
    const MergerObj* a = j < nj ? after->childAt(j) : nullptr;
    int order = !b ? 1 : !a ? -1 : b->name().compare(a->name());
    Run runBefore, runAfter;
    if (order <= 0) {
      runBefore = {before, i, runEnd(before, i, ni)};
      i = runBefore.end;
    }
    if (order >= 0) {
      runAfter = {after, j, runEnd(after, j, nj)};
      j = runAfter.end;
    }
    visit(runBefore, runAfter);
  }
}

// The lines of a run, or on the merged side those written.
std::vector<const MergerObj*> collect(const Run& run, bool writtenOnly) {
  std::vector<const MergerObj*> lines;
  for (size_t k = 0; k < run.size(); ++k) {
    if (!writtenOnly || run.at(k)->isActive()) lines.push_back(run.at(k));
  }
  return lines;
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
  pairRuns(before, after, gsTYPE_ENTITY.str(), [&](const Run& b, const Run& a) {
    // An entity declared twice is rare: its runs pair in order.
    for (size_t k = 0; k < std::max(b.size(), a.size()); ++k) {
      const MergerObj* written = k < a.size() && a.at(k)->isActive() ? a.at(k) : nullptr;
      compareEntities(k < b.size() ? b.at(k) : nullptr, written);
    }
  });
}

void AccessChanges::compareEntities(const MergerObj* before, const MergerObj* after) {
  compareLines(before, after);
  pairRuns(before, after, gsTYPE_ATTR.str(), [&](const Run& b, const Run& a) {
    if (b.size() <= 1 && a.size() <= 1) {
      const MergerObj* written = a.size() ? a.firstWritten() : nullptr;
      const MergerObj* read = b.size() ? b.at(0) : nullptr;
      compareLines(read, written);
      compareAuthFields(property(read, gsPROP_AUTH.str()), property(written, gsPROP_AUTH.str()));
      return;
    }
    // An attribute written twice is one owner to a reader of rights.
    Owners owners[2] = {collect(b, false), collect(a, true)};
    compareGroup(owners[0], owners[1]);
    compareAuth(owners[0], owners[1]);
  });
}

// The access lines of one owner on each side (either may be null).
void AccessChanges::compareLines(const MergerObj* before, const MergerObj* after) {
  pairRuns(before, after, gsTYPE_ACI.str(), [&](const Run& b, const Run& a) {
    if (b.size() <= 1 && a.size() <= 1) {
      compareOne(b.size() ? b.at(0) : nullptr, a.size() ? a.firstWritten() : nullptr, _access);
    } else {
      compareValues(collect(b, false), collect(a, true), _access);
    }
  });
}

// The access lines of the owners of one name on each side, per operation.
void AccessChanges::compareGroup(const Owners& before, const Owners& after) {
  std::map<std::string_view, std::pair<Lines, Lines>> byOperation;
  for (int side = 0; side < 2; ++side) {
    for (const MergerObj* owner : side == 0 ? before : after) {
      pairRuns(owner, nullptr, gsTYPE_ACI.str(), [&](const Run& run, const Run&) {
        auto& [read, written] = byOperation[run.at(0)->name()];
        for (const MergerObj* line : collect(run, side == 1)) {
          (side == 0 ? read : written).push_back(line);
        }
      });
    }
  }
  for (auto& [operation, lines] : byOperation) compareValues(lines.first, lines.second, _access);
}

void AccessChanges::compareAuth(const Owners& before, const Owners& after) {
  Lines fields[2];
  for (int side = 0; side < 2; ++side) {
    for (const MergerObj* owner : side == 0 ? before : after) {
      if (const MergerObj* field = property(owner, gsPROP_AUTH.str()))
        fields[side].push_back(field);
    }
  }
  if (fields[0].size() <= 1 && fields[1].size() <= 1) {
    compareAuthFields(fields[0].empty() ? nullptr : fields[0][0],
                      fields[1].empty() ? nullptr : fields[1][0]);
  } else {
    compareValues(fields[0], fields[1], _auth);
  }
}

// A missing auth field reads as "N": an attribute that comes or goes
// without auth changes none (its access lines say what it gives).
void AccessChanges::compareAuthFields(const MergerObj* before, const MergerObj* after) {
  std::string_view was = before ? before->value() : "N";
  std::string_view is = after ? after->value() : "N";
  if (was != is) compareOne(before, after, _auth);
}

// One line (or field) on each side, either missing.
void AccessChanges::compareOne(const MergerObj* before, const MergerObj* after,
                               std::vector<Entry>& into) {
  if (!before && !after) return;
  if (before && after && before->value() == after->value()) return;
  bool wasYes = before && before->value() == "Y";
  bool isYes = after && after->value() == "Y";
  Change change = isYes && !wasYes   ? Change::kGranted
                  : wasYes && !isYes ? Change::kRevoked
                                     : Change::kChanged;
  into.push_back({_mask, before, after, change});
}

// Lines of one key held more than once: what counts is which values each
// side holds. One value each: one change at most; otherwise each value
// held on one side only, against a value of the other side (none when it
// holds none).
void AccessChanges::compareValues(const Lines& before, const Lines& after,
                                  std::vector<Entry>& into) {
  // The first line of each value on each side, in the order first met; a
  // file may repeat a line any number of times.
  auto firstOfEach = [](const Lines& lines) {
    std::vector<const MergerObj*> firsts;
    std::unordered_set<std::string_view> seen;
    for (const MergerObj* line : lines) {
      if (seen.insert(line->value()).second) firsts.push_back(line);
    }
    return std::make_pair(firsts, seen);
  };
  auto [beforeValues, heldBefore] = firstOfEach(before);
  auto [afterValues, heldAfter] = firstOfEach(after);
  const MergerObj* firstBefore = before.empty() ? nullptr : before[0];
  const MergerObj* firstAfter = after.empty() ? nullptr : after[0];
  if (beforeValues.size() <= 1 && afterValues.size() <= 1) {
    compareOne(firstBefore, firstAfter, into);
    return;
  }
  for (const MergerObj* line : beforeValues) {
    if (!heldAfter.count(line->value())) compareOne(line, firstAfter, into);
  }
  for (const MergerObj* line : afterValues) {
    if (!heldBefore.count(line->value())) compareOne(firstBefore, line, into);
  }
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
  std::unordered_map<std::string_view, size_t> byName;
  auto countOf = [&](const MergerObj* mask) -> MaskCount& {
    auto [at, added] = byName.emplace(mask->name(), counts.size());
    if (added) counts.push_back({std::string(mask->name())});
    return counts[at->second];
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
