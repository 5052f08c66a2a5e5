#pragma once

#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

// A stream buffer that passes text on to another a line at a time, with
// each file name of its table replaced by the name to show for it. Git
// hands its merge driver temporary files (".merge_file_a1B2c3"): the
// messages of a merge name the file as the user knows it instead.
//
// A name is replaced where it stands as a whole name: not where it is part
// of a longer name (a full stop that ends a sentence may follow it). Only a
// name that holds a "." or a "/" is replaced: a bare word ("a", "ours")
// would be found in the messages' own words.
class ShownNamesBuffer : public std::streambuf {
 public:
  struct Name {
    std::string file;   // as the merge was given it
    std::string shown;  // as the user reads it
  };

  // `target` must outlive this buffer.
  ShownNamesBuffer(std::streambuf& target, std::vector<Name> names);
  // Passes on an unfinished last line.
  ~ShownNamesBuffer() override;
  ShownNamesBuffer(const ShownNamesBuffer&) = delete;
  ShownNamesBuffer& operator=(const ShownNamesBuffer&) = delete;

  // `line` with the names replaced.
  std::string rewrite(std::string_view line) const;

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  // Passes on the finished lines; an unfinished one waits for its end, so
  // that a name is never cut in two.
  int sync() override;

 private:
  void passFinishedLines();
  void pass(std::string_view text);

  std::streambuf& _target;
  std::vector<Name> _names;  // longest file name first
  std::string _pending;
};
