#include "framework/TamLunFileIn.h"

#include "framework/FileStore.h"

void TamLunFileIn::open(const char* name) {
  close();
  _good = FileStore::current().read(name, _content);
  if (!_good) _content.clear();
}

void TamLunFileIn::readLine(VexUnicodeString& line) {
  size_t end = _content.find('\n', _pos);
  if (end == std::string::npos) {
    line = VexUnicodeString(std::string_view(_content).substr(_pos));
    _pos = _content.size();
    _eof = true;
    return;
  }
  line = VexUnicodeString(std::string_view(_content).substr(_pos, end - _pos));
  _pos = end + 1;
  _eof = _pos >= _content.size();
}

std::string TamLunFileIn::takeContent() {
  std::string rest = _pos == 0 ? std::move(_content) : _content.substr(_pos);
  _content.clear();
  _pos = 0;
  _eof = true;
  return rest;
}

void TamLunFileIn::close() {
  _content.clear();
  _content.shrink_to_fit();
  _pos = 0;
  _good = false;
  _eof = false;
}
