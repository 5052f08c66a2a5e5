#pragma once

#include <memory>
#include <ostream>

// A text file written through its output stream. `open` creates or
// truncates the file (in the current FileStore).
class TamLunFileOut {
 public:
  void open(const char* name);
  bool good() const { return _out && _out->good(); }
  std::ostream& stream() { return *_out; }
  void close();

 private:
  std::unique_ptr<std::ostream> _out;
};
