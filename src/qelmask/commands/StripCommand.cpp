#include "qelmask/commands/Commands.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/session/InputFile.h"
#include "qelmask/summary/ReviewRecords.h"

int Commands::strip(const CommandOptions& options, Diagnostics& diagnostics) {
  if (!OutputWriter::accept({options.output}, {{"the input", options.merged}}, options.force,
                            diagnostics)) {
    return kOutputRefused;
  }
  std::string merged, error;
  if (!InputFile::read(options.merged, merged, error)) {
    diagnostics.error(options.merged, error);
    diagnostics.error("", "nothing written");
    return kInputProblem;
  }
  std::string stripped;
  ReviewRecords::Count count = ReviewRecords::strip(merged, stripped);

  OutputWriter writer(diagnostics);
  writer.add(options.output, [&](std::ostream& out) {
    out.write(stripped.data(), static_cast<std::streamsize>(stripped.size()));
    out.flush();
    return out.good();
  });
  if (!writer.write()) return kOutputRefused;
  diagnostics.progress() << "Review records removed: " << count.records << " (" << count.lines
                         << " lines)\n";
  return kDone;
}
