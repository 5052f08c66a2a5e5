#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// Where qelmask speaks: errors and warnings in one style on the error
// stream ("qelmask: error: custo.msk: file does not exist"), progress and
// the summary on the output stream, unless the run is quiet.
class Diagnostics {
 public:
  Diagnostics(std::ostream& out, std::ostream& err, bool quiet);

  // "qelmask: error: <file>: <message>"; an empty file name is left out.
  void error(std::string_view file, std::string_view message);
  // "<file>:<line>: error: <message>", as compilers write it.
  void errorAt(std::string_view file, long line, std::string_view message);
  // "qelmask: note: <file>: <message>": something qelmask handled for the
  // user, who should know about it.
  void note(std::string_view file, std::string_view message);
  // "qelmask: warning: <file>: <message>": something the user must look at,
  // which did not stop the run.
  void warning(std::string_view file, std::string_view message);

  // Progress and summary lines; nothing when quiet.
  std::ostream& progress();
  // What a command is run for, quiet or not.
  std::ostream& output() { return _out; }
  bool quiet() const { return _quiet; }
  // Each error's file and message ("custo.msk: no mask"), in order.
  const std::vector<std::string>& errors() const { return _errors; }

 private:
  void tell(std::string_view level, std::string_view file, std::string_view message);

  std::ostream& _out;
  std::ostream& _err;
  bool _quiet;
  std::vector<std::string> _errors;
};
