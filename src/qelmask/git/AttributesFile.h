#pragma once

#include <string>
#include <string_view>

// A gitattributes file: a pattern and its attributes per line, the last
// line that matches a path setting each attribute.
namespace AttributesFile {
// Whether one line of `content` is `line`: the same pattern with the same
// attributes, in any order and spacing.
bool holds(std::string_view content, std::string_view line);
// Appends `line` to the file at `path` unless it holds it already
// (`added` says which), creating the file and its folders if need be.
// False, with the reason in `error`, when it cannot be read or written.
bool ensure(const std::string& path, std::string_view line, bool& added, std::string& error);
}  // namespace AttributesFile
