#pragma once

#include <algorithm>
#include <memory>
#include <ostream>
#include <string_view>

#include "framework/CopyBytes.h"

// The text of a file being written, gathered in memory and handed to the
// file a megabyte at a time: a mask of a million lines is then a few dozen
// writes rather than millions of small ones. The buffer starts small and
// grows to its full size only for a file that needs it.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::ostream& file)
      : _file(file),
        _begin(new char[kFirstCapacity]),
        _pos(_begin.get()),
        _end(_pos + kFirstCapacity) {}
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
  OutputBuffer& operator<<(char c) { return *this << std::string_view(&c, 1); }
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

  static constexpr size_t kFirstCapacity = size_t{64} << 10;

  // A piece that does not fit: the buffer grows while it may, and is handed
  // to the file otherwise; a piece longer than the whole buffer goes to the
  // file directly.
  OutputBuffer& appendLong(std::string_view piece) {
    size_t used = static_cast<size_t>(_pos - _begin.get());
    size_t capacity = static_cast<size_t>(_end - _begin.get());
    if (capacity < kCapacity && used + piece.size() <= kCapacity) {
      grow(std::min(kCapacity, std::max(2 * capacity, used + piece.size())));
    } else {
      flush();
      if (piece.size() > capacity) {
        _file.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        return *this;
      }
    }
    return *this << piece;
  }

  void grow(size_t capacity) {
    size_t used = static_cast<size_t>(_pos - _begin.get());
    std::unique_ptr<char[]> larger(new char[capacity]);
    copyBytes(larger.get(), _begin.get(), used);
    _begin = std::move(larger);
    _pos = _begin.get() + used;
    _end = _begin.get() + capacity;
  }

  std::ostream& _file;
  std::unique_ptr<char[]> _begin;
  char* _pos;
  char* _end;
};
