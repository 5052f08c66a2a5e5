#include "framework/VexUnicodeString.h"

#include <cstdio>
#include <ostream>

VexUnicodeString VexUnicodeString::SubString(int start, int length) const {
  if (start < 0 || length <= 0 || static_cast<size_t>(start) >= _text.size()) {
    return VexUnicodeString();
  }
  return VexUnicodeString(_text.substr(start, length));
}

int VexUnicodeString::SearchSubString(const VexUnicodeString& what, int start,
                                      VexSearchMode) const {
  if (start < 0 || static_cast<size_t>(start) > _text.size()) return -1;
  size_t at = _text.find(what._text, start);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

void VexUnicodeString::ReplaceAll(const VexUnicodeString& what, const VexUnicodeString& by) {
  if (what._text.empty()) return;
  std::string out;
  size_t from = 0;
  for (size_t at = _text.find(what._text); at != std::string::npos;
       at = _text.find(what._text, from)) {
    out.append(_text, from, at - from);
    out += by._text;
    from = at + what._text.size();
  }
  if (from == 0) return;
  out.append(_text, from, std::string::npos);
  _text.swap(out);
}

int VexUnicodeString::ReplaceSubString(const VexUnicodeString& what, const VexUnicodeString& by) {
  if (what._text.empty()) return -1;
  size_t at = _text.find(what._text);
  if (at == std::string::npos) return -1;
  _text.replace(at, what._text.size(), by._text);
  return static_cast<int>(at);
}

VexUnicodeString VexUnicodeString::Strip(VexStripMode mode, const VexUnicodeChar& c) const {
  size_t begin = 0;
  size_t end = _text.size();
  if (mode & VexStripLeading) {
    while (begin < end && _text[begin] == c.get()) ++begin;
  }
  if (mode & VexStripTrailing) {
    while (end > begin && _text[end - 1] == c.get()) --end;
  }
  return VexUnicodeString(_text.substr(begin, end - begin));
}

void VexUnicodeString::ToUpper() {
  for (char& c : _text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void VexUnicodeString::BuildFromNum(int number, const char* format) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, number);
  _text.assign(buffer, n < 0 ? 0 : static_cast<size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
}

int VexUnicodeString::Compare(const VexUnicodeString& other) const {
  int r = _text.compare(other._text);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

std::ostream& operator<<(std::ostream& out, const VexUnicodeString& s) {
  return out.write(s.str().data(), static_cast<std::streamsize>(s.str().size()));
}
