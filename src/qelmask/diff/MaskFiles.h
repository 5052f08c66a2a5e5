#pragma once

#include <memory>
#include <string>
#include <vector>

#include "maskfile/MergerFile.h"

class Diagnostics;

// The mask files `diff` and `lines` compare, each read whole as the merger
// reads it (the lines it leaves out are left out here too) and sorted, the
// files side by side.
class MaskFiles {
 public:
  // `comments` set: the comment lines are kept on their nodes.
  MaskFiles(std::vector<std::string> names, bool comments);
  ~MaskFiles();
  MaskFiles(const MaskFiles&) = delete;
  MaskFiles& operator=(const MaskFiles&) = delete;

  // Reads every file. False when one is missing, unreadable, a folder, or
  // holds no mask though it is not empty (bytes that are no mask file):
  // each such file is reported.
  bool read(Diagnostics& diagnostics);

  const MergerFile& file(size_t i) const { return *_files[i]; }
  const std::string& name(size_t i) const { return _names[i]; }
  // The lines of file i that the reader left out: they make no node.
  long ignoredLines(size_t i) const;

 private:
  class IgnoredLines;

  std::vector<std::string> _names;
  std::vector<std::unique_ptr<MergerFile>> _files;
  std::vector<std::unique_ptr<IgnoredLines>> _ignored;
};
