#pragma once

#include <string_view>

#include "maskfile/WriteNotes.h"
#include "qelmask/output/Diagnostics.h"

// Tells the user what a mask written in the read-back layout could not
// carry as merged, and what was done instead: a note for a separator
// replaced, a warning for what will not read back where it was written.
namespace LayoutNotes {
void tell(const WriteNotes& notes, std::string_view file, Diagnostics& diagnostics);
}  // namespace LayoutNotes
