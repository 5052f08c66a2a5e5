#pragma once

#include <string>
#include <vector>

// What a mask written in the read-back layout cannot carry as the tree
// holds it, and what the writer did instead: the writer tells, the tool
// that called it tells the user.
struct WriteNotes {
  // Set when a field held the file's separator: the file was written with
  // `separator` instead of `replaced`.
  std::string replaced;
  std::string separator;
  // The first field that held the replaced separator, and its node.
  std::string clashField;
  std::string clashNode;
  // Set when no separator could be found that no field holds: the file is
  // written with its own, and `clashNode`'s line will not read back.
  bool clashLeft = false;
  // What will not read back where it was written, in the user's words:
  // masks whose entity lines cannot name them, entities whose attribute
  // lines cannot.
  std::vector<std::string> unreadable;
};
