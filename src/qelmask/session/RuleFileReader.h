#pragma once

#include <string>
#include <vector>

// Loads a rule file into the rule list (MergerRule::_lRules) the way the
// merger does, line by line with the same parser, but tells the user about
// it instead of warning on standard output: a file saved with CRLF line
// ends is read as LF (the carriage return would otherwise stay in every
// path, and no rule would ever match), and every line in error is kept
// with its number and a message in the user's words.
class RuleFileReader {
 public:
  struct Problem {
    long line;
    std::string message;
  };

  // Reads and parses `name`. False when the file cannot be read (the
  // reason is in `error`); lines in error do not make it fail.
  bool load(const std::string& name, std::string& error);
  // Parses the bytes of a rule file; the rules go to the rule list.
  void parse(std::string_view bytes);

  // Whether the file had CRLF line ends.
  bool crlf() const { return _crlf; }
  const std::vector<Problem>& problems() const { return _problems; }
  int ruleCount() const { return _rules; }

  // Why a rule line was rejected, in the user's words.
  static std::string describe(std::string_view line, int kind, const std::string& text);

 private:
  void parseLine(std::string_view line, long number);

  bool _crlf = false;
  int _rules = 0;
  std::vector<Problem> _problems;
};
