#include "qelmask/diff/MaskDiff.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>

#include "maskfile/MergerFile.h"
#include "tree/MergerObj.h"
#include "tree/NodeText.h"

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// The order the trees are sorted in: type, then name.
int compareKeys(const MergerObj* a, const MergerObj* b) {
  NodeText::Parts ta = a->text(), tb = b->text();
  int r = NodeText::compareBytes(ta.type, tb.type);
  return r != 0 ? r : NodeText::compareBytes(ta.name, tb.name);
}

void childrenOf(const MergerObj* node, std::vector<const MergerObj*>& out) {
  out.clear();
  for (size_t i = 0; i < node->childCount(); ++i) {
    if (const MergerObj* child = node->childAt(i)) out.push_back(child);
  }
}

// The places of `nodes` ordered by value, equal values in file order.
std::vector<size_t> byValue(const MergerObj* const* nodes, size_t count) {
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [nodes](size_t x, size_t y) {
    return NodeText::compareBytes(nodes[x]->value(), nodes[y]->value()) < 0;
  });
  return order;
}

// A comment line as compared: a carriage return at its end (CRLF files) left out.
std::string_view commentAt(const VexListValVexUnicodeString& comments, int i) {
  std::string_view text = comments[i].str();
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

// The comments of one node, each with its place, ordered by text.
std::vector<std::pair<std::string_view, int>> sortedComments(
    const VexListValVexUnicodeString* comments) {
  std::vector<std::pair<std::string_view, int>> sorted;
  if (!comments) return sorted;
  for (int i = 1; i <= comments->Size(); ++i) sorted.emplace_back(commentAt(*comments, i), i);
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

bool sameComments(const VexListValVexUnicodeString* a, const VexListValVexUnicodeString* b) {
  int size = a ? a->Size() : 0;
  if (size != (b ? b->Size() : 0)) return false;
  for (int i = 1; i <= size; ++i) {
    if (commentAt(*a, i) != commentAt(*b, i)) return false;
  }
  return true;
}

}  // namespace

std::vector<MaskChange> MaskDiff::compare(const MergerFile& a, const MergerFile& b, bool comments) {
  MaskDiff diff(comments);
  Level& masks = diff.level(0);
  for (int i = 1; i <= a.getMaskCount(); ++i) {
    if (const MergerObj* mask = a.getMaskAt(i)) masks.a.push_back(mask);
  }
  for (int i = 1; i <= b.getMaskCount(); ++i) {
    if (const MergerObj* mask = b.getMaskAt(i)) masks.b.push_back(mask);
  }
  diff.compareSiblings(masks, 0, nullptr, nullptr);
  return std::move(diff._changes);
}

size_t MaskDiff::countBelow(const MergerObj* node) {
  size_t count = 0;
  for (size_t i = 0; i < node->childCount(); ++i) {
    if (const MergerObj* child = node->childAt(i)) count += 1 + countBelow(child);
  }
  return count;
}

std::vector<const MergerObj*> MaskDiff::inFileOrder(const MergerObj* node) {
  std::vector<const MergerObj*> children;
  childrenOf(node, children);
  std::stable_sort(children.begin(), children.end(), [](const MergerObj* x, const MergerObj* y) {
    return x->getLine() < y->getLine();
  });
  return children;
}

MaskDiff::Level& MaskDiff::level(size_t depth) {
  while (_levels.size() <= depth) _levels.emplace_back();
  return _levels[depth];
}

void MaskDiff::compareNodes(const MergerObj* a, const MergerObj* b, size_t depth) {
  if (a->value() != b->value())
    _changes.push_back({MaskChange::Sign::kChanged, MaskChange::What::kValue, a, b});
  if (_comments) compareComments(a, b);
  if (a->childCount() == 0 && b->childCount() == 0) return;
  Level& below = level(depth + 1);
  childrenOf(a, below.a);
  childrenOf(b, below.b);
  bool ordered = a->isOrdered() && b->isOrdered();
  compareSiblings(below, depth + 1, ordered ? a : nullptr, ordered ? b : nullptr);
}

void MaskDiff::compareSiblings(Level& level, size_t depth, const MergerObj* orderedA,
                               const MergerObj* orderedB) {
  pairSiblings(level.a, level.b, level.pairs);
  if (orderedA && orderChanged(level.pairs)) {
    _changes.push_back({MaskChange::Sign::kChanged, MaskChange::What::kOrder, orderedA, orderedB});
  }
  // The walk below reuses the deeper levels only, never this one.
  for (const Pair& pair : level.pairs) {
    if (pair.a && pair.b) {
      compareNodes(pair.a, pair.b, depth);
    } else if (pair.a) {
      addNode(MaskChange::Sign::kRemoved, pair.a);
    } else {
      addNode(MaskChange::Sign::kAdded, pair.b);
    }
  }
}

void MaskDiff::addNode(MaskChange::Sign sign, const MergerObj* node) {
  bool removed = sign == MaskChange::Sign::kRemoved;
  _changes.push_back({sign, MaskChange::What::kNode, removed ? node : nullptr,
                      removed ? nullptr : node, countBelow(node)});
}

void MaskDiff::compareComments(const MergerObj* a, const MergerObj* b) {
  const VexListValVexUnicodeString* ca = a->getComments();
  const VexListValVexUnicodeString* cb = b->getComments();
  if (sameComments(ca, cb)) return;
  // Comments are compared as sets, each text as often as it stands: moving
  // a comment among those of its node changes nothing.
  auto sa = sortedComments(ca), sb = sortedComments(cb);
  std::vector<bool> keptA(sa.size() + 1), keptB(sb.size() + 1);
  for (size_t i = 0, j = 0; i < sa.size() && j < sb.size();) {
    if (sa[i].first < sb[j].first) {
      ++i;
    } else if (sb[j].first < sa[i].first) {
      ++j;
    } else {
      keptA[static_cast<size_t>(sa[i++].second)] = true;
      keptB[static_cast<size_t>(sb[j++].second)] = true;
    }
  }
  for (size_t i = 1; i <= sa.size(); ++i) {
    if (!keptA[i]) {
      _changes.push_back({MaskChange::Sign::kRemoved, MaskChange::What::kComment, a, nullptr, 0,
                          static_cast<int>(i)});
    }
  }
  for (size_t i = 1; i <= sb.size(); ++i) {
    if (!keptB[i]) {
      _changes.push_back({MaskChange::Sign::kAdded, MaskChange::What::kComment, nullptr, b, 0,
                          static_cast<int>(i)});
    }
  }
}

bool MaskDiff::orderChanged(const std::vector<Pair>& pairs) const {
  // The children both files have, by their lines in A: their lines in B
  // must rise too. Children of one file only do not count.
  std::vector<std::pair<long, long>> lines;
  for (const Pair& pair : pairs) {
    if (pair.a && pair.b) lines.emplace_back(pair.a->getLine(), pair.b->getLine());
  }
  std::sort(lines.begin(), lines.end());
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].second <= lines[i - 1].second) return true;
  }
  return false;
}

void MaskDiff::pairSiblings(const std::vector<const MergerObj*>& a,
                            const std::vector<const MergerObj*>& b, std::vector<Pair>& pairs) {
  pairs.clear();
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    int order = i == a.size() ? 1 : j == b.size() ? -1 : compareKeys(a[i], b[j]);
    if (order < 0) {
      pairs.push_back({a[i++], nullptr});
    } else if (order > 0) {
      pairs.push_back({nullptr, b[j++]});
    } else {
      size_t endA = i + 1, endB = j + 1;
      while (endA < a.size() && compareKeys(a[endA], a[i]) == 0) ++endA;
      while (endB < b.size() && compareKeys(b[endB], b[j]) == 0) ++endB;
      if (endA - i == 1 && endB - j == 1) {
        pairs.push_back({a[i], b[j]});
      } else {
        pairGroup(&a[i], endA - i, &b[j], endB - j, pairs);
      }
      i = endA;
      j = endB;
    }
  }
}

void MaskDiff::pairGroup(const MergerObj* const* a, size_t countA, const MergerObj* const* b,
                         size_t countB, std::vector<Pair>& pairs) {
  // Siblings of the same type and name: those of equal values first, so
  // that lines that only moved are no change; then the others in file
  // order, as changes of value; what is left is in one file only.
  std::vector<size_t> partner(countA, kNone);
  std::vector<bool> taken(countB);
  std::vector<size_t> orderA = byValue(a, countA), orderB = byValue(b, countB);
  for (size_t p = 0, q = 0; p < countA && q < countB;) {
    int order = NodeText::compareBytes(a[orderA[p]]->value(), b[orderB[q]]->value());
    if (order < 0) {
      ++p;
    } else if (order > 0) {
      ++q;
    } else {
      partner[orderA[p++]] = orderB[q];
      taken[orderB[q++]] = true;
    }
  }
  size_t next = 0;
  for (size_t p = 0; p < countA; ++p) {
    if (partner[p] != kNone) continue;
    while (next < countB && taken[next]) ++next;
    if (next == countB) break;
    partner[p] = next;
    taken[next] = true;
  }
  for (size_t p = 0; p < countA; ++p)
    pairs.push_back({a[p], partner[p] == kNone ? nullptr : b[partner[p]]});
  for (size_t q = 0; q < countB; ++q) {
    if (!taken[q]) pairs.push_back({nullptr, b[q]});
  }
}
