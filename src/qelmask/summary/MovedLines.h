#pragma once

#include <string>
#include <string_view>
#include <vector>

// The access, filter and value lines that stand after an entity's last
// attribute in a mask the merger wrote. The merger puts an entity's own
// lines there, and a reader gives them to that attribute, so whose they
// are cannot be told from the file: the entity's, moved by the merger, or
// the attribute's. A mask written in the read-back layout, or by hand,
// has none.
namespace MovedLines {
struct Entry {
  long line;
  std::string text;       // the line as it stands in the file
  std::string attribute;  // the attribute a reader gives it to: E::<entity>/A::<name>
};

// Whether `bytes` starts with the header of a merged mask.
bool isMergedMask(std::string_view bytes);
// Whether it is one written in the merger's layout.
bool isLegacyLayout(std::string_view bytes);
// The lines of `bytes` whose owner is in doubt, in file order; none when
// it is not a merged mask in the merger's layout.
std::vector<Entry> find(std::string_view bytes);
}  // namespace MovedLines
