#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "maskfile/ReadObserver.h"

// What the reader left out of one mask file: the lines that made nothing
// and the comment lines that no node took, in file order, each with the
// reason in the user's words. Filled while the file is read (from the
// thread that reads it), read once the reading is over.
class ReadLog : public ReadObserver {
 public:
  struct Entry {
    long line;
    std::string text;
    Reason reason;
    bool comment;  // a comment line, else a line that made nothing
  };

  void lineIgnored(long line, std::string_view text, Reason reason) override;
  void commentDropped(long line, std::string_view text, Reason reason) override;

  // Everything left out, in line order, but the comments of the header that every merged
  // file starts with (the next merge writes its own): a customer file that
  // is an earlier output is no cause for alarm.
  std::vector<const Entry*> reported() const;
  // The comments among them.
  std::vector<const Entry*> droppedComments() const;

  static const char* describe(const Entry& entry);

 private:
  std::vector<Entry> _entries;
};
