#pragma once

#include <string>

class MergerFile;

// Parses and sorts `count` files from their bytes (taken), side by side on
// up to three cores, or one after the other while a trace channel is
// active, since trace lines go out as they are written. Each file prints
// to its own console: give each its own stream before, to keep one file's
// lines together.
void parseAndSortSideBySide(MergerFile* const* files, std::string* bytes, int count);
