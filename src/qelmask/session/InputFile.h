#pragma once

#include <string>

// Reads a whole input file (a mask or the rule file) for qelmask, with the
// reason in the user's words when it cannot.
namespace InputFile {
// False, with "file does not exist", "file is not readable", "is a
// folder, not a file" or "cannot be read: <reason>" in `error`.
bool read(const std::string& name, std::string& bytes, std::string& error);
}  // namespace InputFile
