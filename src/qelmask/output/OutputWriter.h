#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/OutputGuard.h"
#include "qelmask/output/Diagnostics.h"

// Writes the outputs of a run all or nothing, as far as a file system
// allows: every output is written in full to its temporary and synced
// before the first one replaces its target.
class OutputWriter {
 public:
  explicit OutputWriter(Diagnostics& diagnostics) : _diagnostics(diagnostics) {}

  // Whether every one of `names` may be written, given the run's inputs
  // (and the outputs before it); each refusal is reported.
  static bool accept(const std::vector<std::string>& names,
                     const std::vector<OutputGuard::Other>& inputs, bool force,
                     Diagnostics& diagnostics);

  // Adds an output whose content `fill` writes (true when it wrote it all).
  void add(std::string name, std::function<bool(std::ostream&)> fill);
  // An output that holds `text` and a line feed; `text` must outlive `write`.
  void addLine(std::string name, const std::string& text);
  // The same for a content that may have to start again (AtomicFile::restart).
  void add(std::string name, std::function<bool(AtomicFile&)> fill);
  // Writes every output; false (after a report) when any of them fails, and
  // then no target has been replaced.
  bool write();

 private:
  struct Output {
    std::unique_ptr<AtomicFile> file;
    std::function<bool(AtomicFile&)> fill;
  };
  Diagnostics& _diagnostics;
  std::vector<Output> _outputs;
};
