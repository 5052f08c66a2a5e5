#include "framework/TamLunFileIn.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads the whole file behind `fd` into `content`; false on any read error
// (reading a directory fails here).
bool readAll(int fd, std::string& content) {
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return false;
  if (S_ISREG(info.st_mode) && info.st_size > 0) content.reserve(info.st_size);
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) return false;
    content.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace

void TamLunFileIn::open(const char* name) {
  close();
  int fd = ::open(name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  _good = readAll(fd, _content);
  ::close(fd);
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
