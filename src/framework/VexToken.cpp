#include "framework/VexToken.h"

VexUnicodeString VexToken::GetNextToken() {
  while (_pos < _text.size() && _text[_pos] == ' ') ++_pos;
  size_t end = _text.find(' ', _pos);
  if (end == std::string::npos) end = _text.size();
  VexUnicodeString word(std::string_view(_text).substr(_pos, end - _pos));
  _pos = end;
  return word;
}

VexUnicodeString VexToken::GetNextToken(const VexUnicodeString& separator) {
  if (_pos >= _text.size()) return VexUnicodeString();
  const std::string& sep = separator.str();
  size_t end = sep.empty() ? std::string::npos : _text.find(sep, _pos);
  if (end == std::string::npos) {
    VexUnicodeString rest(std::string_view(_text).substr(_pos));
    _pos = _text.size();
    return rest;
  }
  VexUnicodeString piece(std::string_view(_text).substr(_pos, end - _pos));
  _pos = end + sep.size();
  return piece;
}
