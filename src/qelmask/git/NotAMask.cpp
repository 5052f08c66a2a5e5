#include "qelmask/git/NotAMask.h"

#include <fstream>
#include <string_view>

NotAMask::Verdict NotAMask::judge(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return Verdict::kMaybe;
  char head[8000];
  in.read(head, sizeof head);
  std::string_view read(head, static_cast<size_t>(in.gcount()));
  if (read.empty() && in.eof()) return Verdict::kEmpty;
  if (read.find('\0') != std::string_view::npos) return Verdict::kBinary;
  return Verdict::kMaybe;
}
