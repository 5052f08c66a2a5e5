#pragma once

#include <fstream>

// A text file written through its output stream. `open` creates or
// truncates the file.
class TamLunFileOut {
 public:
  void open(const char* name);
  bool good() const { return _out.good(); }
  std::ostream& stream() { return _out; }
  void close();

 private:
  std::ofstream _out;
};
