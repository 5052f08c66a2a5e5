#pragma once

#include "framework/VexUnicodeString.h"

// Hands out the pieces of a text one after the other. Both forms of
// GetNextToken advance one shared position, so they can be mixed on a line;
// both return an empty string once the text is used up.
class VexToken {
 public:
  explicit VexToken(const VexUnicodeString& text) : _text(text.str()) {}

  // The next word delimited by blanks; leading blanks are skipped and a run
  // of blanks counts as one delimiter.
  VexUnicodeString GetNextToken();
  // The text up to the next occurrence of the whole separator, or to the
  // end. Two adjacent separators give an empty piece.
  VexUnicodeString GetNextToken(const VexUnicodeString& separator);

 private:
  std::string _text;  // a copy: the token outlives changes to its source
  size_t _pos = 0;
};
