#include "qelmask/commands/Commands.h"
#include "qelmask/diff/MaskFiles.h"
#include "qelmask/diff/MaskLines.h"
#include "qelmask/output/ExitStatus.h"

int Commands::lines(const CommandOptions& options, Diagnostics& diagnostics) {
  // Git runs this on every mask it shows: the lines that make no node are
  // left out without a word, as the merger leaves them out.
  MaskFiles files({options.compared.at(0)}, false);
  if (!files.read(diagnostics)) return kUnreadable;
  if (!MaskLines::write(diagnostics.output(), files.file(0))) {
    diagnostics.error("", "standard output: cannot write");
    return kOutputRefused;
  }
  return kDone;
}
