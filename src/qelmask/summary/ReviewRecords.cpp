#include "qelmask/summary/ReviewRecords.h"

#include "maskfile/ReviewRecordLines.h"

namespace {

// The line that starts at `at` (without its line feed), and where the
// next one starts.
std::string_view lineAt(std::string_view text, size_t at, size_t& next) {
  if (at >= text.size()) {
    next = text.size();
    return {};
  }
  size_t feed = text.find('\n', at);
  next = feed == std::string_view::npos ? text.size() : feed + 1;
  return text.substr(at, (feed == std::string_view::npos ? text.size() : feed) - at);
}

// Goes through the lines of `text`, handing `keep` every line that is not
// part of a review record (with its line feed).
template <class Keep>
ReviewRecords::Count walk(std::string_view text, Keep keep) {
  ReviewRecords::Count count;
  size_t at = 0;
  while (at < text.size()) {
    size_t second = 0, third = 0, fourth = 0;
    std::string_view line = lineAt(text, at, second);
    // Only a CHOICE line is worth looking past.
    int record = 0;
    if (ReviewRecordLines::startsWith(line, ReviewRecordLines::kChoice)) {
      std::string_view next = lineAt(text, second, third);
      record = ReviewRecordLines::lengthAt(line, next, lineAt(text, third, fourth));
    }
    if (record > 0) {
      ++count.records;
      count.lines += record;
      at = record == 2 ? third : fourth;
      continue;
    }
    keep(text.substr(at, second - at));
    at = second;
  }
  return count;
}

}  // namespace

ReviewRecords::Count ReviewRecords::strip(std::string_view merged, std::string& out) {
  out.reserve(out.size() + merged.size());
  return walk(merged, [&](std::string_view line) { out.append(line); });
}

ReviewRecords::Count ReviewRecords::count(std::string_view mask) {
  return walk(mask, [](std::string_view) {});
}
