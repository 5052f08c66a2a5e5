#pragma once

#include <string_view>

// The lines a written mask carries above each node the merge asked about:
// "// CHOICE     : ...", "// ALTERNATIVE: ..." and, when a choice was made,
// "// ==> FINALLY: ...". Read back, they are comments like any other, so a
// tool that reads an earlier merge's output must tell them apart.
namespace ReviewRecordLines {
inline constexpr std::string_view kChoice = "// CHOICE     : ";
inline constexpr std::string_view kAlternative = "// ALTERNATIVE: ";
inline constexpr std::string_view kFinally = "// ==> FINALLY: ";

inline bool startsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// How many of the lines `first`, `second`, `third` form a record: 0, 2 or
// 3. A record is a CHOICE line followed by its ALTERNATIVE line; a CHOICE
// line alone is somebody's comment. `third` may be a line past the end
// (empty).
inline int lengthAt(std::string_view first, std::string_view second, std::string_view third) {
  if (!startsWith(first, kChoice) || !startsWith(second, kAlternative)) return 0;
  return startsWith(third, kFinally) ? 3 : 2;
}
}  // namespace ReviewRecordLines
