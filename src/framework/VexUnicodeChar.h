#pragma once

// One 8-bit character, as passed to VexUnicodeString::Strip.
class VexUnicodeChar {
 public:
  explicit VexUnicodeChar(char c) : _c(c) {}
  char get() const { return _c; }

 private:
  char _c;
};
