#pragma once

#include <deque>
#include <vector>

#include "qelmask/diff/MaskChange.h"

class MergerFile;
class MergerObj;

// The structural difference of two mask files, each read and sorted as the
// merger sorts it (masks, and the children of every node, by type, then
// name; see MergerFile::sort). The sorted children of two corresponding
// nodes are walked side by side, so the work is linear in the size of the
// trees; siblings of the same type and name are paired in file order, those
// of equal values first.
class MaskDiff {
 public:
  // The changes that turn A into B, in tree order. With `comments` set, the
  // comment lines of the nodes both files have are compared too (the files
  // must have been read keeping them).
  static std::vector<MaskChange> compare(const MergerFile& a, const MergerFile& b, bool comments);

  // The number of nodes below `node`.
  static size_t countBelow(const MergerObj* node);
  // The children of `node` in the order of their lines in the file (the
  // order of an ordered node's list).
  static std::vector<const MergerObj*> inFileOrder(const MergerObj* node);

 private:
  // Two siblings of the same type and name (or one of them alone).
  struct Pair {
    const MergerObj* a;
    const MergerObj* b;
  };
  // What the walk at one depth of the trees reuses from node to node.
  struct Level {
    std::vector<const MergerObj*> a, b;
    std::vector<Pair> pairs;
  };

  explicit MaskDiff(bool comments) : _comments(comments) {}

  void compareNodes(const MergerObj* a, const MergerObj* b, size_t depth);
  // Compares the siblings in `level.a` and `level.b` (sorted), under the
  // ordered node(s) `ordered` when they are.
  void compareSiblings(Level& level, size_t depth, const MergerObj* orderedA,
                       const MergerObj* orderedB);
  void compareComments(const MergerObj* a, const MergerObj* b);
  bool orderChanged(const std::vector<Pair>& pairs) const;
  void addNode(MaskChange::Sign sign, const MergerObj* node);
  Level& level(size_t depth);

  static void pairSiblings(const std::vector<const MergerObj*>& a,
                           const std::vector<const MergerObj*>& b, std::vector<Pair>& pairs);
  static void pairGroup(const MergerObj* const* a, size_t countA, const MergerObj* const* b,
                        size_t countB, std::vector<Pair>& pairs);

  bool _comments;
  std::vector<MaskChange> _changes;
  std::deque<Level> _levels;  // a deque: a deeper level never moves a shallower one
};
