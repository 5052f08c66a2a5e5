#pragma once

#include <string_view>

// Told what the reader of a mask file leaves out, line by line, by a tool
// that reports it; it changes nothing. By default it ignores everything.
class ReadObserver {
 public:
  enum class Reason {
    kUnknownKeyword,  // a line whose keyword the format does not know
    kUnknownMask,     // an entity or attribute line naming a mask the file lacks
    kMissingEntity,   // an attribute of an entity the mask lacks
    kNoParent,        // an access, filter or value line with nothing to attach to
    kUnderIgnored,    // a line under an attribute that was itself left out
    kNoNode,          // a comment that a line making no node ended
    kEndOfFile,       // a comment after the last line that made a node
  };

  virtual ~ReadObserver() = default;
  // A line that made nothing in the tree.
  virtual void lineIgnored(long /*line*/, std::string_view /*text*/, Reason /*reason*/) {}
  // A comment line that no node of the tree took.
  virtual void commentDropped(long /*line*/, std::string_view /*text*/, Reason /*reason*/) {}
};
