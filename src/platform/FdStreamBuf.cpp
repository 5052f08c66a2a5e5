#include "platform/FdStreamBuf.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

FdStreamBuf::FdStreamBuf(int fd) : _fd(fd) {
  setp(_buffer.data(), _buffer.data() + _buffer.size());
}

int FdStreamBuf::overflow(int c) {
  if (!drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize FdStreamBuf::xsputn(const char* data, std::streamsize count) {
  auto size = static_cast<size_t>(count);
  auto room = static_cast<size_t>(epptr() - pptr());
  if (size <= room) {
    std::memcpy(pptr(), data, size);
    pbump(static_cast<int>(size));
    return count;
  }
  // Larger than what is left: the buffer goes first, then the data itself.
  if (!drain() || !writeAll(data, size)) return 0;
  return count;
}

int FdStreamBuf::sync() { return drain() ? 0 : -1; }

bool FdStreamBuf::drain() {
  auto size = static_cast<size_t>(pptr() - pbase());
  bool written = writeAll(pbase(), size);
  setp(_buffer.data(), _buffer.data() + _buffer.size());
  return written;
}

bool FdStreamBuf::writeAll(const char* data, size_t size) {
  if (_errno) return false;
  while (size > 0) {
    ssize_t done = ::write(_fd, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      _errno = errno;
      return false;
    }
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}
