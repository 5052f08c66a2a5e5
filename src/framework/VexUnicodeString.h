#pragma once

#include <climits>
#include <iosfwd>
#include <string>
#include <string_view>

#include "framework/VexTypes.h"
#include "framework/VexUnicodeChar.h"

// The string type of every interface. Text is a sequence of bytes, never
// decoded: any byte (NUL included) may appear and lengths count bytes.
class VexUnicodeString {
 public:
  VexUnicodeString() = default;
  VexUnicodeString(const char* text) : _text(text ? text : "") {}
  explicit VexUnicodeString(std::string text) : _text(std::move(text)) {}
  explicit VexUnicodeString(std::string_view text) : _text(text) {}

  VexUnicodeString& operator=(const char* text) {
    _text = text ? text : "";
    return *this;
  }

  // The length as the contract's int: clamped, never wrapped (a text of
  // 2 GiB or more is still long, not empty or negative).
  int GetLengthInChar() const {
    return _text.size() > INT_MAX ? INT_MAX : static_cast<int>(_text.size());
  }
  // Valid while this string is unchanged. Text after an inner NUL byte is
  // still there, but C functions will not see it.
  const char* ConvertToChar() const { return _text.c_str(); }

  VexUnicodeString SubString(int start, int length) const;
  // Position of the first occurrence at or after `start`, or -1.
  int SearchSubString(const VexUnicodeString& what, int start, VexSearchMode mode) const;
  void ReplaceAll(const VexUnicodeString& what, const VexUnicodeString& by);
  // Replaces the first occurrence; negative when `what` does not occur.
  int ReplaceSubString(const VexUnicodeString& what, const VexUnicodeString& by);
  VexUnicodeString Strip(VexStripMode mode, const VexUnicodeChar& c) const;
  // ASCII letters only: every other byte is kept as it is.
  void ToUpper();
  void BuildFromNum(int number, const char* format);

  void Append(const VexUnicodeString& other) { _text += other._text; }
  VexUnicodeString& operator+=(const VexUnicodeString& other) {
    _text += other._text;
    return *this;
  }
  VexUnicodeString& operator+=(const char* text) {
    _text += text;
    return *this;
  }
  void Reset() { _text.clear(); }

  // Byte-wise comparison of the whole text (bytes unsigned, a prefix first),
  // normalised to -1, 0 or 1.
  int Compare(const VexUnicodeString& other) const;
  bool operator==(const VexUnicodeString& other) const { return _text == other._text; }
  bool operator!=(const VexUnicodeString& other) const { return _text != other._text; }
  bool operator==(const char* text) const { return _text == (text ? text : ""); }
  bool operator!=(const char* text) const { return !(*this == text); }

  const std::string& str() const { return _text; }
  bool empty() const { return _text.empty(); }

 private:
  std::string _text;
};

std::ostream& operator<<(std::ostream& out, const VexUnicodeString& s);
