#pragma once

#include <cstring>
#include <string_view>

// Hands out the pieces of one line of a mask file, in place: a piece is a
// view of the line's own bytes, which the reader may rewrite (to upper
// case) where it stands. The cutting is that of the tool's tokenizer: a
// word ends at a blank (leading blanks skipped); a field ends at the whole
// separator, two adjacent separators giving an empty field; both forms
// share one position and give an empty piece once the line is used up.
class LineCursor {
 public:
  LineCursor(char* begin, char* end) : _pos(begin), _end(end) {}

  std::string_view nextWord() {
    while (_pos < _end && *_pos == ' ') ++_pos;
    char* start = _pos;
    auto blank = static_cast<char*>(std::memchr(_pos, ' ', static_cast<size_t>(_end - _pos)));
    _pos = blank ? blank : _end;
    return {start, static_cast<size_t>(_pos - start)};
  }

  std::string_view nextField(std::string_view separator) {
    if (_pos >= _end) return {};
    char* start = _pos;
    char* found = find(separator);
    if (!found) {
      _pos = _end;
      return {start, static_cast<size_t>(_end - start)};
    }
    _pos = found + separator.size();
    return {start, static_cast<size_t>(found - start)};
  }

  // The same piece, without the blanks at both ends.
  static std::string_view stripBlanks(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    return text.substr(begin, end - begin);
  }

  // Upper-cases ASCII letters of a piece of this line, in place.
  static void toUpper(std::string_view piece) {
    char* text = const_cast<char*>(piece.data());
    for (size_t i = 0; i < piece.size(); ++i) {
      if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
    }
  }

 private:
  char* find(std::string_view separator) const {
    size_t left = static_cast<size_t>(_end - _pos);
    if (separator.empty() || separator.size() > left) return nullptr;
    if (separator.size() == 1) return static_cast<char*>(std::memchr(_pos, separator[0], left));
    auto at = static_cast<char*>(memmem(_pos, left, separator.data(), separator.size()));
    return at;
  }

  char* _pos;
  char* _end;
};
