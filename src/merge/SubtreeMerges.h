#pragma once

#include <vector>

class MaskStorage;
class MergerObj;

// The subtrees below the nodes that a walk of the top level kept, merged
// once that walk is done, side by side on several threads. Each subtree is
// merged by one thread, as the walk would have merged it, into the node the
// walk made for it, so the result is the same whatever the threads do; the
// nodes a thread makes are carved from a storage of its own, which the
// result's storage keeps alive. The trees read are only read. For merges
// that neither trace, nor tell an observer, nor ask a decider: those follow
// the walk's order.
class SubtreeMerges {
 public:
  struct Subtree {
    const MergerObj* ref;
    const MergerObj* neu;
    const MergerObj* custo;
    MergerObj* into;
  };

  void add(const Subtree& subtree) { _subtrees.push_back(subtree); }
  // Merges every subtree added, on up to `threads` threads (this one
  // included; fewer for few subtrees), and forgets them.
  void run(MaskStorage& result, unsigned threads);

 private:
  std::vector<Subtree> _subtrees;
};
