#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "qelmask/diff/MaskChange.h"

// `qelmask diff --stat`: the changes counted instead of listed, by mask and
// entity, then by kind of node, then in all; each a count of the lines the
// diff would print (a node of one file only counts once, with its subtree).
// Nothing at all when there is no change.
namespace DiffStat {
struct Counts {
  size_t added = 0, removed = 0, changed = 0;
  size_t total() const { return added + removed + changed; }
  void add(const MaskChange& change);
};
// What a count says: "2 added, 1 changed" (a zero left out).
std::string describe(const Counts& counts);
// What the kind of node of a change is called in the counts: the node's
// kind, or "value order", "comment".
std::string_view kindOf(const MaskChange& change);
void write(std::ostream& out, const std::vector<MaskChange>& changes);
}  // namespace DiffStat
