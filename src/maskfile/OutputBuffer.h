#pragma once

#include <memory>
#include <ostream>
#include <string_view>

#include "framework/CopyBytes.h"

// The text of a file being written, gathered in memory and handed to the
// file a megabyte at a time: a mask of a million lines is then a few dozen
// writes rather than millions of small ones.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::ostream& file)
      : _file(file), _begin(new char[kCapacity]), _pos(_begin.get()), _end(_pos + kCapacity) {}
  ~OutputBuffer() { flush(); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  OutputBuffer& operator<<(std::string_view piece) {
    size_t n = piece.size();
    if (n > static_cast<size_t>(_end - _pos)) return appendLong(piece);
    copyBytes(_pos, piece.data(), n);
    _pos += n;
    return *this;
  }
  OutputBuffer& operator<<(char c) {
    if (_pos == _end) flush();
    *_pos++ = c;
    return *this;
  }
  // Called between nodes: a node's lines go out together.
  void maybeFlush() {
    if (_pos - _begin.get() >= static_cast<std::ptrdiff_t>(kChunk)) flush();
  }
  void flush() {
    if (_pos == _begin.get()) return;
    _file.write(_begin.get(), _pos - _begin.get());
    _pos = _begin.get();
  }

 private:
  static constexpr size_t kChunk = size_t{1} << 20;
  // Room for a chunk and the node that crosses its end.
  static constexpr size_t kCapacity = 2 * kChunk;

  OutputBuffer& appendLong(std::string_view piece) {
    flush();
    if (piece.size() > kCapacity) {
      _file.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      return *this;
    }
    return *this << piece;
  }

  std::ostream& _file;
  std::unique_ptr<char[]> _begin;
  char* _pos;
  char* _end;
};
