#include "qelmask/commands/Commands.h"
#include "qelmask/diff/DiffJson.h"
#include "qelmask/diff/DiffStat.h"
#include "qelmask/diff/DiffText.h"
#include "qelmask/diff/MaskDiff.h"
#include "qelmask/diff/MaskFiles.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"

namespace {

// As diff(1) has it: the status tells a script whether the files differ.
constexpr int kDifferent = kInputProblem;

// The lines the reader leaves out make no node, so they cannot differ: the
// user who changed one should know why it is not listed.
void noteIgnored(const MaskFiles& files, Diagnostics& diagnostics) {
  for (size_t i = 0; i < 2; ++i) {
    long count = files.ignoredLines(i);
    if (count == 0) continue;
    diagnostics.note(files.name(i), std::to_string(count) +
                                        (count == 1 ? " line makes" : " lines make") +
                                        " no node (the merger leaves them out too): not compared");
  }
}

}  // namespace

int Commands::diff(const CommandOptions& options, Diagnostics& diagnostics) {
  const std::string& a = options.compared.at(0);
  const std::string& b = options.compared.at(1);
  std::vector<std::string> outputs;
  if (!options.json.empty()) outputs.push_back(options.json);
  if (!OutputWriter::accept(outputs, {{"the input", a}, {"the input", b}}, options.force,
                            diagnostics)) {
    return kOutputRefused;
  }
  MaskFiles files({a, b}, options.comments);
  if (!files.read(diagnostics)) {
    if (!outputs.empty()) diagnostics.error("", "nothing written");
    return kUnreadable;
  }
  noteIgnored(files, diagnostics);
  std::vector<MaskChange> changes =
      MaskDiff::compare(files.file(0), files.file(1), options.comments);
  if (!options.json.empty()) {
    std::string data = DiffJson::document(changes);
    OutputWriter writer(diagnostics);
    writer.addLine(options.json, data);
    if (!writer.write()) return kOutputRefused;
  }
  std::ostream& out = diagnostics.output();
  if (options.stat) {
    DiffStat::write(out, changes);
  } else {
    DiffText::write(out, changes);
  }
  return changes.empty() ? kDone : kDifferent;
}
