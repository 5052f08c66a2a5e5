#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "qelmask/diff/MaskChange.h"

// The lines of `qelmask diff`, one a change:
//   + MASK ID (and N lines below)     a node of B only, with its subtree
//   - MASK ID                         a node of A only
//   ~ MASK PATH: OLD -> NEW           a value changed ("" for an empty one)
//   ~ MASK PATH: order A, B -> B, A   the children of an ordered node moved
//   + MASK ID: // text                a comment of B only (--comments)
// ID is the node's identifier below its mask, PATH the same without the
// node's own value; both are left out (with their blank) for a mask itself.
namespace DiffText {
// Appends the line of `change`, line feed included.
void append(std::string& out, const MaskChange& change);
// Writes every line to `out`; whether the writing succeeded.
bool write(std::ostream& out, const std::vector<MaskChange>& changes);
// The children of an ordered node, in file order, as the order line shows
// them: "A, B, C".
std::string orderOf(const MergerObj* node);
}  // namespace DiffText
