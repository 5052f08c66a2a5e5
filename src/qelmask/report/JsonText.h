#pragma once

#include <string>
#include <string_view>

// Text taken from a mask, made fit for a JSON string. Masks are bytes, never
// decoded; JSON text is Unicode. A byte that is part of a valid UTF-8
// sequence stays as it is; any other byte is carried as the character of the
// same number (U+0080 to U+00FF), which is how ISO 8859-1 reads it: a mask
// saved in Latin-1 shows as written, and the JSON is always valid.
namespace JsonText {
// Appends `bytes` to `out` as UTF-8.
void append(std::string& out, std::string_view bytes);
// `bytes` as UTF-8.
std::string of(std::string_view bytes);
// Appends `bytes` to `out` as a JSON string, quotes included, for JSON
// written as text rather than built as a document.
void appendQuoted(std::string& out, std::string_view bytes);
// Makes `text` valid UTF-8 in place (nothing to do in the usual case).
void repair(std::string& text);
// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
size_t sequenceLength(std::string_view bytes);
}  // namespace JsonText
