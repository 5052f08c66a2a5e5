#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "tree/MergerObj.h"

// Goes through the children of one node, in order of type and name, as the
// children of another node come by in the same order: for each, the child
// of the same type and name, if any. Children of one name pair in order, as
// the merge made them.
class MatchingChild {
 public:
  explicit MatchingChild(const MergerObj* parent)
      : _parent(parent), _count(parent ? parent->childCount() : 0) {
    if (parent && parent->isOrdered()) {
      _sorted = sorted(parent);
      _count = _sorted.size();
    }
  }

  // The child of the same type and name as `mine`, with `order` 0 when its
  // value is the same and 99 when not; null when there is none.
  const MergerObj* find(NodeText::Parts mine, int& order) {
    for (; _at < _count; ++_at) {
      const MergerObj* candidate = childAt(_at);
      if (!candidate) continue;
      NodeText::Parts theirs = candidate->text();
      order = MergerObj::compareTexts(&theirs, &mine);
      if (order == 0 || order == 99) return childAt(_at++);
      if (order > 0) break;
    }
    return nullptr;
  }

  // Calls `visit(child)` for the children of `parent` in order of type and
  // name.
  template <class Visit>
  static void forEachInOrder(const MergerObj* parent, Visit visit) {
    MatchingChild children(parent);
    for (size_t i = 0; i < children._count; ++i) {
      if (const MergerObj* child = children.childAt(i)) visit(child);
    }
  }

 private:
  const MergerObj* childAt(size_t i) const {
    return _sorted.empty() ? _parent->childAt(i) : _sorted[i];
  }

  // A value list may stand in the order of its lines (the writer puts it
  // back so): it is taken in order of name, of one name in their order.
  static std::vector<const MergerObj*> sorted(const MergerObj* parent) {
    std::vector<const MergerObj*> children;
    children.reserve(parent->childCount());
    for (size_t i = 0; i < parent->childCount(); ++i) {
      if (const MergerObj* child = parent->childAt(i)) children.push_back(child);
    }
    std::stable_sort(children.begin(), children.end(), [](const MergerObj* a, const MergerObj* b) {
      NodeText::Parts ta = a->text(), tb = b->text();
      int order = MergerObj::compareTexts(&ta, &tb);
      return order != 99 && order < 0;
    });
    return children;
  }

  const MergerObj* _parent;
  size_t _count;
  std::vector<const MergerObj*> _sorted;
  size_t _at = 0;
};
