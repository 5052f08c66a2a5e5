#pragma once

#include <iosfwd>
#include <string>

class MergerFile;
class MergerObj;

// `qelmask lines`: a mask file as one line per node, in tree order, what
// git compares when it shows the change of a mask (its textconv):
//   MASK<TAB>ID
// where ID is the node's identifier below its mask with every value
// (E::PART/A::V_status/_::defval[DRAFT]); the line of a mask itself has
// its value alone, in brackets, or nothing. The tree is sorted, so lines
// that only moved in the file change nothing, and a changed value changes
// one line. The line of an ordered node (the values of an attribute) also
// shows its list in file order, after a second TAB: "order A, B, C", so
// that the order of a list, which matters to the merge, shows too.
// Comments are left out.
namespace MaskLines {
// Writes the lines of `file` (read and sorted) to `out`; whether the
// writing succeeded.
bool write(std::ostream& out, const MergerFile& file);
}  // namespace MaskLines
