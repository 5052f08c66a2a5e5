#pragma once

#include <ostream>
#include <string_view>

// The report as one self-contained HTML page: the page's markup, style and
// script (src/qelmask/report/, built into the program) around the report's
// JSON data. The page loads nothing: no network, no other file.
namespace ReportPage {
// Writes the page with `json` (the report document as text) as its data;
// false when the stream failed.
bool write(std::ostream& out, std::string_view json);
// Writes `json` so that it can stand inside a script element: every "<"
// becomes the escape \u003c, which JSON reads back as "<" (it can only
// occur inside a string), so no text of a mask can close the element.
void writeScriptSafe(std::ostream& out, std::string_view json);

// The page, with kDataMarker where the data goes (generated at build time
// from src/qelmask/report/).
std::string_view source();
inline constexpr std::string_view kDataMarker = "@REPORT_DATA@";
}  // namespace ReportPage
