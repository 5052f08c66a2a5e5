#pragma once

#include <optional>
#include <string>
#include <string_view>

// The fields of a decisions file are plain ASCII: a mask's names and values
// are bytes in whatever encoding the site saved them in, so every byte that
// is not printable ASCII, and the tab and backslash that the format itself
// uses, is written "\xHH". The text is lossless and sorts the same in any
// language that compares strings by character.
namespace DecisionText {
// `bytes` escaped.
std::string escape(std::string_view bytes);
// The bytes `field` stands for; false when a backslash starts no "\xHH".
bool unescape(std::string_view field, std::string& bytes);
// A node's value in one version: "-" when the version has no such node,
// else "=" and the value escaped.
std::string value(const std::optional<std::string_view>& value);
// The value `field` stands for; false when it is neither "-" nor "=...".
bool parseValue(std::string_view field, std::optional<std::string>& value);
}  // namespace DecisionText
