#pragma once

#include <cstring>

// Calls `line(begin, end)` for each line of the bytes [begin, end), as
// TamLunFileIn delivers them: the pieces between line feeds, the feed left
// out (a carriage return stays). A final line feed starts no further line,
// and no bytes at all are one empty line.
template <class Line>
void forEachLine(char* begin, char* end, Line line) {
  char* at = begin;
  do {
    auto feed = static_cast<char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
    line(at, feed ? feed : end);
    at = feed ? feed + 1 : end;
  } while (at < end);
}
