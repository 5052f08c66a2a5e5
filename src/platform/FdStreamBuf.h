#pragma once

#include <array>
#include <streambuf>

// An output stream buffer over a file descriptor that it does not own.
// Every write is checked: the first failure is kept (its errno) and makes
// the stream fail, so a full device or an I/O error is never silent.
class FdStreamBuf : public std::streambuf {
 public:
  explicit FdStreamBuf(int fd);
  // 0 while every write succeeded, else the errno of the first failure.
  int failure() const { return _errno; }

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;
  int sync() override;

 private:
  bool drain();
  bool writeAll(const char* data, size_t size);

  int _fd;
  int _errno = 0;
  std::array<char, 1 << 16> _buffer;
};
