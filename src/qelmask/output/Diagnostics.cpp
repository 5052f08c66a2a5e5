#include "qelmask/output/Diagnostics.h"

#include <ostream>

#include "qelmask/output/NullStream.h"

Diagnostics::Diagnostics(std::ostream& out, std::ostream& err, bool quiet)
    : _out(out), _err(err), _quiet(quiet) {}

void Diagnostics::error(std::string_view file, std::string_view message) {
  _errors.push_back(file.empty() ? std::string(message)
                                 : std::string(file).append(": ").append(message));
  _out.flush();
  _err << "qelmask: error: ";
  if (!file.empty()) _err << file << ": ";
  _err << message << "\n";
  _err.flush();
}

void Diagnostics::errorAt(std::string_view file, long line, std::string_view message) {
  _errors.push_back(std::string(file) + ":" + std::to_string(line) + ": " + std::string(message));
  _out.flush();
  _err << file << ":" << line << ": error: " << message << "\n";
  _err.flush();
}

void Diagnostics::note(std::string_view file, std::string_view message) {
  tell("note", file, message);
}

void Diagnostics::warning(std::string_view file, std::string_view message) {
  tell("warning", file, message);
}

void Diagnostics::tell(std::string_view level, std::string_view file, std::string_view message) {
  _out.flush();
  _err << "qelmask: " << level << ": " << file << ": " << message << "\n";
  _err.flush();
}

std::ostream& Diagnostics::progress() { return _quiet ? nullStream() : _out; }
