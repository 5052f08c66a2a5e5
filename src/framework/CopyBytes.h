#pragma once

#include <cstddef>
#include <cstring>

// Copies `n` bytes. Most texts of a mask file are a few bytes long: they are
// moved with fixed-size moves (two that overlap) instead of a call.
inline void copyBytes(char* out, const char* in, size_t n) {
  if (n > 16) {
    std::memcpy(out, in, n);
  } else if (n >= 8) {
    std::memcpy(out, in, 8);
    std::memcpy(out + n - 8, in + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(out, in, 4);
    std::memcpy(out + n - 4, in + n - 4, 4);
  } else if (n > 0) {
    out[0] = in[0];
    out[n / 2] = in[n / 2];
    out[n - 1] = in[n - 1];
  }
}
