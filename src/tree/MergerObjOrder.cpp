#include <algorithm>
#include <vector>

#include "tree/MergerObj.h"

namespace {

// What the orderings look at, taken out of each child once per sort.
struct SortKey {
  std::string_view type;
  std::string_view name;
  long line;
  MergerNode* node;
};

int compareBytes(std::string_view a, std::string_view b) {
  int r = a.compare(b);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

// Null entries sort after every node.
int compareNulls(const void* a, const void* b) {
  if (!a) return b ? 1 : 0;
  return -1;
}

int byTypeAndName(const SortKey& a, const SortKey& b) {
  if (!a.node || !b.node) return compareNulls(a.node, b.node);
  int r = compareBytes(a.type, b.type);
  return r != 0 ? r : compareBytes(a.name, b.name);
}

int byLine(const SortKey& a, const SortKey& b) {
  if (!a.node || !b.node) return compareNulls(a.node, b.node);
  if (a.line != b.line) return a.line > b.line ? 1 : -1;
  return byTypeAndName(a, b);
}

SortKey keyOf(MergerNode* node) {
  SortKey key{{}, {}, 0, node};
  if (node) {
    NodeText::Parts text = node->text();
    key.type = text.type;
    key.name = text.name;
    key.line = static_cast<MergerObj*>(node)->getLine();
  }
  return key;
}

// Stable: equal keys keep their order. Most lists are short, and many are
// sorted already (a tree is sorted once read and again before it is
// written), so a sorted list costs one pass and a short one an insertion
// sort, without any allocation.
template <int (*compare)(const SortKey&, const SortKey&)>
bool sortKeys(std::vector<SortKey>& keys) {
  bool sorted = true;
  for (size_t i = 1; i < keys.size() && sorted; ++i) sorted = compare(keys[i - 1], keys[i]) <= 0;
  if (sorted) return false;
  if (keys.size() <= 24) {
    for (size_t i = 1; i < keys.size(); ++i) {
      SortKey key = keys[i];
      size_t j = i;
      for (; j > 0 && compare(key, keys[j - 1]) < 0; --j) keys[j] = keys[j - 1];
      keys[j] = key;
    }
  } else {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const SortKey& a, const SortKey& b) { return compare(a, b) < 0; });
  }
  return true;
}

}  // namespace

int MergerObj::compareNode(MergerObj* a, MergerObj* b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  NodeText::Parts ta = a->text(), tb = b->text();
  int r = compareBytes(ta.type, tb.type);
  if (r == 0) r = compareBytes(ta.name, tb.name);
  if (r != 0) return r;
  return ta.value == tb.value ? 0 : 99;
}

void MergerObj::sortChildren(bool byNumber) {
  // One list per thread: the files of a run may be read and sorted at once.
  thread_local std::vector<SortKey> keys;
  thread_local std::vector<MergerNode*> order;
  keys.clear();
  for (size_t i = 0; i < _nChildren; ++i) keys.push_back(keyOf(_pChildren[i]));
  if (!(byNumber ? sortKeys<byLine>(keys) : sortKeys<byTypeAndName>(keys))) return;
  order.clear();
  for (const SortKey& key : keys) order.push_back(key.node);
  reorderChildren(order);
}

void MergerObj::sort(int byNumber) {
  if (_nChildren == 0) return;
  sortChildren(byNumber && _cOrdered == 'Y');
  for (size_t i = 0; i < _nChildren; ++i) {
    if (MergerObj* child = childAt(i)) child->sort(byNumber);
  }
}

int MergerObj::sortObject(const void* pa, const void* pb) {
  auto a = static_cast<MergerNode*>(const_cast<void*>(pa));
  auto b = static_cast<MergerNode*>(const_cast<void*>(pb));
  return byTypeAndName(keyOf(a), keyOf(b));
}

int MergerObj::sortObjectByNumber(const void* pa, const void* pb) {
  auto a = static_cast<MergerNode*>(const_cast<void*>(pa));
  auto b = static_cast<MergerNode*>(const_cast<void*>(pb));
  return byLine(keyOf(a), keyOf(b));
}
