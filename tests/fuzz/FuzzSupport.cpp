#include "FuzzSupport.h"

#include <iostream>
#include <streambuf>

namespace fuzz {

namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

void silenceConsole() {
  // Never destroyed: standard output is flushed once more at exit.
  static NullBuffer* nowhere = new NullBuffer;
  std::cout.rdbuf(nowhere);
}

std::vector<std::string> carve(std::string_view input, size_t count) {
  static constexpr std::string_view kCut = "\n%%\n";
  std::vector<std::string> parts;
  while (parts.size() + 1 < count) {
    size_t at = input.find(kCut);
    if (at == std::string_view::npos) break;
    parts.emplace_back(input.substr(0, at + 1));
    input.remove_prefix(at + kCut.size());
  }
  parts.emplace_back(input);
  parts.resize(count);
  return parts;
}

}  // namespace fuzz
