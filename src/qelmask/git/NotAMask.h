#pragma once

#include <string>

// Whether a file git hands the merge driver can be a mask, judged before
// anything reads it as one: git merges every file the attributes name,
// whatever it holds.
namespace NotAMask {
enum class Verdict {
  kMaybe,   // may be a mask (or cannot be opened: the merge says so in its own words)
  kEmpty,   // holds nothing
  kBinary,  // a NUL byte among its first 8000, as git itself judges
};

Verdict judge(const std::string& file);
}  // namespace NotAMask
