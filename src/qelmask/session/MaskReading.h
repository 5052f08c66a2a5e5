#pragma once

#include <string>

#include "qelmask/output/Diagnostics.h"
#include "qelmask/session/MaskInput.h"

// The masks of a run read into their trees, side by side, each reader
// speaking to its own console and log.
namespace MaskReading {
// Reads the bytes of each of `inputs` into `bytes`; an exit status, after
// telling each file that cannot be read.
int load(MaskInput* const* inputs, std::string* bytes, int count, Diagnostics& diagnostics);
// Parses and sorts them, then tells what was read: "Read: ref.msk (37
// lines), new.msk (46 lines)".
void parse(MaskInput* const* inputs, std::string* bytes, int count, Diagnostics& diagnostics);
}  // namespace MaskReading
