#pragma once

#include <cstring>
#include <string_view>

// Hands out the pieces of a text as views of its own bytes, cut exactly as
// VexToken cuts them, but without copying anything: a word ends at a blank
// (leading blanks skipped); a piece ends at the whole separator, two
// adjacent separators giving an empty piece; both forms share one position
// and give an empty piece once the text is used up. Lengths are sizes, so a
// text of any length is cut like a short one.
class TextCursor {
 public:
  explicit TextCursor(std::string_view text) : _pos(text.data()), _end(text.data() + text.size()) {}

  std::string_view nextWord() {
    while (_pos < _end && *_pos == ' ') ++_pos;
    const char* start = _pos;
    auto blank = static_cast<const char*>(std::memchr(_pos, ' ', left()));
    _pos = blank ? blank : _end;
    return {start, static_cast<size_t>(_pos - start)};
  }

  std::string_view nextPiece(std::string_view separator) {
    if (_pos >= _end) return {};
    const char* start = _pos;
    const char* found = find(separator);
    if (!found) {
      _pos = _end;
      return {start, static_cast<size_t>(_end - start)};
    }
    _pos = found + separator.size();
    return {start, static_cast<size_t>(found - start)};
  }

  // The same text without the blanks at both ends.
  static std::string_view stripBlanks(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    return text.substr(begin, end - begin);
  }

 private:
  size_t left() const { return static_cast<size_t>(_end - _pos); }
  const char* find(std::string_view separator) const {
    if (separator.empty() || separator.size() > left()) return nullptr;
    if (separator.size() == 1) {
      return static_cast<const char*>(std::memchr(_pos, separator[0], left()));
    }
    return static_cast<const char*>(memmem(_pos, left(), separator.data(), separator.size()));
  }

  const char* _pos;
  const char* _end;
};
