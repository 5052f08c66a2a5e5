#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the fuzz targets share: a console that swallows what a run prints,
// and the cutting of one input into the files of a run.
namespace fuzz {

// Sends standard output nowhere for as long as the program runs: a target
// exercises what is printed without paying for a terminal.
void silenceConsole();

// The bytes of one input as text.
inline std::string text(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Cuts `input` at each line "%%" into at most `count` parts (missing parts
// are empty).
std::vector<std::string> carve(std::string_view input, size_t count);

}  // namespace fuzz
