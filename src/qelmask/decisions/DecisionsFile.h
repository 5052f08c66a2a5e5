#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "qelmask/decisions/DecisionLine.h"

class Diagnostics;

// A file of recorded decisions: one choice a line, fields separated by tabs,
// "#" starting a comment line. Reading it checks every line and reports each
// problem with its line, as a compiler does; a line that has a problem is
// not kept.
class DecisionsFile {
 public:
  struct Problem {
    int line;
    std::string message;
  };

  // The first line of every file written.
  static constexpr std::string_view kHeader =
      "# qelmask decisions: mask, node, kind, REF, NEW, CUSTO, option (qelmask-decisions(5))";

  // Reads the file; false, with `error` set, when it cannot be read.
  bool load(const std::string& path, std::string& error);
  // Reads the file and reports what is wrong with it, each problem at its
  // line; false when it cannot be read or has a problem.
  bool load(const std::string& path, Diagnostics& diagnostics);
  void parse(std::string_view text);

  const std::vector<DecisionLine>& lines() const { return _lines; }
  const std::vector<Problem>& problems() const { return _problems; }
  bool crlf() const { return _crlf; }

  // The file that holds `lines` (each a line's text): the header, then the
  // lines sorted, each ending with a line feed.
  static std::string compose(std::vector<std::string> lines);

 private:
  void parseLine(std::string_view text, int number);
  bool parseQuestion(const std::vector<std::string_view>& fields, DecisionLine& line);
  bool parseRefusal(const std::vector<std::string_view>& fields, DecisionLine& line);
  bool field(std::string_view text, std::string& bytes, const char* what, int number);
  void problem(int line, std::string message);

  std::vector<DecisionLine> _lines;
  std::vector<Problem> _problems;
  bool _crlf = false;
};
