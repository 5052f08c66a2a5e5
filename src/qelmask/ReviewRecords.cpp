#include "qelmask/ReviewRecords.h"

namespace {

constexpr std::string_view kChoice = "// CHOICE     : ";
constexpr std::string_view kAlternative = "// ALTERNATIVE: ";
constexpr std::string_view kFinally = "// ==> FINALLY: ";

bool startsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// The line that starts at `at` (without its line feed), and where the
// next one starts.
std::string_view lineAt(std::string_view text, size_t at, size_t& next) {
  size_t feed = text.find('\n', at);
  next = feed == std::string_view::npos ? text.size() : feed + 1;
  return text.substr(at, (feed == std::string_view::npos ? text.size() : feed) - at);
}

}  // namespace

ReviewRecords::Count ReviewRecords::strip(std::string_view merged, std::string& out) {
  Count count;
  out.reserve(out.size() + merged.size());
  size_t at = 0;
  while (at < merged.size()) {
    size_t next = 0;
    std::string_view line = lineAt(merged, at, next);
    size_t second = 0;
    // A record is a CHOICE line followed by its ALTERNATIVE line; a CHOICE
    // line alone is somebody's comment.
    if (startsWith(line, kChoice) && next < merged.size() &&
        startsWith(lineAt(merged, next, second), kAlternative)) {
      ++count.records;
      count.lines += 2;
      at = second;
      size_t third = 0;
      if (at < merged.size() && startsWith(lineAt(merged, at, third), kFinally)) {
        ++count.lines;
        at = third;
      }
      continue;
    }
    out.append(merged.substr(at, next - at));
    at = next;
  }
  return count;
}
