#include <algorithm>
#include <vector>

#include "tree/MergerObj.h"

namespace {

// What the orderings look at, taken out of each child once per sort. Plain
// fields, so that an array of them costs nothing until it is filled.
struct SortKey {
  uint64_t prefix;
  const char* typeData;
  size_t typeSize;
  const char* nameData;
  size_t nameSize;
  long line;
  MergerNode* node;

  std::string_view type() const { return {typeData, typeSize}; }
  std::string_view name() const { return {nameData, nameSize}; }
};

// Null entries sort after every node.
int compareNulls(const void* a, const void* b) {
  if (!a) return b ? 1 : 0;
  return -1;
}

int byTypeAndName(const SortKey& a, const SortKey& b) {
  if (!a.node || !b.node) return compareNulls(a.node, b.node);
  if (a.prefix && b.prefix && a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  int r = NodeText::compareBytes(a.type(), b.type());
  return r != 0 ? r : NodeText::compareBytes(a.name(), b.name());
}

int byLine(const SortKey& a, const SortKey& b) {
  if (!a.node || !b.node) return compareNulls(a.node, b.node);
  if (a.line != b.line) return a.line > b.line ? 1 : -1;
  return byTypeAndName(a, b);
}

SortKey keyOf(MergerNode* node) {
  SortKey key{0, nullptr, 0, nullptr, 0, 0, node};
  if (node) {
    NodeText::Parts text = node->text();
    key.prefix = NodeText::orderPrefix(text.type, text.name);
    key.typeData = text.type.data();
    key.typeSize = text.type.size();
    key.nameData = text.name.data();
    key.nameSize = text.name.size();
    key.line = static_cast<MergerObj*>(node)->getLine();
  }
  return key;
}

// Stable: equal keys keep their order. Most lists are short, and many are
// sorted already (a tree is sorted once read and again before it is
// written), so a sorted list costs one pass and a short one an insertion
// sort, without any allocation. Returns whether the order changed.
template <int (*compare)(const SortKey&, const SortKey&)>
bool sortKeys(SortKey* keys, size_t count) {
  size_t i = 1;
  while (i < count && compare(keys[i - 1], keys[i]) <= 0) ++i;
  if (i >= count) return false;
  if (count <= 32) {
    for (; i < count; ++i) {
      SortKey key = keys[i];
      size_t j = i;
      for (; j > 0 && compare(key, keys[j - 1]) < 0; --j) keys[j] = keys[j - 1];
      keys[j] = key;
    }
  } else {
    std::stable_sort(keys, keys + count,
                     [](const SortKey& a, const SortKey& b) { return compare(a, b) < 0; });
  }
  return true;
}

}  // namespace

int MergerObj::compareTexts(const NodeText::Parts* a, const NodeText::Parts* b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  int r = NodeText::compareBytes(a->type, b->type);
  if (r == 0) r = NodeText::compareBytes(a->name, b->name);
  if (r != 0) return r;
  return a->value == b->value ? 0 : 99;
}

int MergerObj::compareNode(MergerObj* a, MergerObj* b) {
  NodeText::Parts ta, tb;
  if (a) ta = a->text();
  if (b) tb = b->text();
  return compareTexts(a ? &ta : nullptr, b ? &tb : nullptr);
}

void MergerObj::sortChildren(bool byNumber) {
  if (!byNumber && childrenInOrder()) return;
  // Short lists are sorted on the stack; a long one in a list of its
  // thread's (the files of a run may be read and sorted at once).
  SortKey onStack[32];
  thread_local std::vector<SortKey> longList;
  SortKey* keys = onStack;
  if (_nChildren > 32) {
    longList.resize(_nChildren);
    keys = longList.data();
  }
  for (size_t i = 0; i < _nChildren; ++i) keys[i] = keyOf(_pChildren[i]);
  bool moved =
      byNumber ? sortKeys<byLine>(keys, _nChildren) : sortKeys<byTypeAndName>(keys, _nChildren);
  if (moved) {
    for (size_t i = 0; i < _nChildren; ++i) _pChildren[i] = keys[i].node;
  }
  // In line order, the children are not (known to be) in order of name.
  if (byNumber) {
    forgetChildrenOrder();
  } else {
    markChildrenInOrder();
  }
}

void MergerObj::sort(int byNumber) {
  if (_nChildren == 0) return;
  sortChildren(byNumber && _cOrdered == 'Y');
  for (size_t i = 0; i < _nChildren; ++i) {
    if (MergerObj* child = childAt(i)) child->sort(byNumber);
  }
}

void MergerObj::sortLevel(int byNumber) {
  if (_nChildren) sortChildren(byNumber && _cOrdered == 'Y');
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
