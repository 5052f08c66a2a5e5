#pragma once

#include <string>

#include "framework/VexUnicodeString.h"

// A text file read line by line. The whole content is loaded by `open`, so a
// file that cannot be read to the end (a directory, say) fails `good()` at
// once. Lines are bytes of any value and any length.
class TamLunFileIn {
 public:
  void open(const char* name);
  // Whether the last open succeeded and the file could be read.
  bool good() const { return _good; }
  // Replaces `line` with the next line, without its line feed (a carriage
  // return stays).
  void readLine(VexUnicodeString& line);
  // Non-zero once the line just delivered is the last one. A final line feed
  // does not make an extra empty line; an empty file delivers one empty line.
  int eof() const { return _eof ? 1 : 0; }
  // Hands over the whole content not yet delivered by readLine (all of it
  // right after `open`); the file then has nothing more to deliver.
  std::string takeContent();
  void close();

 private:
  std::string _content;
  size_t _pos = 0;
  bool _good = false;
  bool _eof = false;
};
