#include "qelmask/output/OutputWriter.h"

#include "platform/OutputGuard.h"
#include "platform/TempFileRegistry.h"

bool OutputWriter::accept(const std::vector<std::string>& names,
                          const std::vector<OutputGuard::Other>& inputs, bool force,
                          Diagnostics& diagnostics) {
  bool accepted = true;
  for (size_t i = 0; i < names.size(); ++i) {
    // Each output is also checked against the other outputs.
    std::vector<OutputGuard::Other> others = inputs;
    for (size_t j = 0; j < i; ++j) others.push_back({"the output", names[j]});
    std::string refusal = OutputGuard(others, force).refusal(names[i]);
    if (refusal.empty()) continue;
    diagnostics.error(names[i], refusal + "; nothing written");
    accepted = false;
  }
  return accepted;
}

void OutputWriter::add(std::string name, std::function<bool(std::ostream&)> fill) {
  add(std::move(name), [fill = std::move(fill)](AtomicFile& file) { return fill(file.stream()); });
}

void OutputWriter::addLine(std::string name, const std::string& text) {
  add(std::move(name), [&text](std::ostream& out) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out << "\n";
    out.flush();
    return out.good();
  });
}

void OutputWriter::add(std::string name, std::function<bool(AtomicFile&)> fill) {
  _outputs.push_back({std::make_unique<AtomicFile>(std::move(name)), std::move(fill)});
}

bool OutputWriter::write() {
  TempFileRegistry::installHandlers();
  std::string error;
  for (Output& output : _outputs) {
    AtomicFile& file = *output.file;
    if (!file.open(error)) {
      _diagnostics.error(file.target(), error + "; nothing written");
      return false;
    }
    if (!output.fill(file)) {
      // The commit stops at the failed write and says why.
      if (file.commit(error)) error = "cannot write";
      _diagnostics.error(file.target(), error + "; nothing written");
      return false;
    }
  }
  for (Output& output : _outputs) {
    if (!output.file->commit(error)) {
      _diagnostics.error(output.file->target(), error + "; nothing written");
      return false;
    }
    _diagnostics.progress() << "Wrote: " << output.file->target() << "\n";
  }
  return true;
}
