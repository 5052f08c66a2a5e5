#include "qelmask/MergeCommand.h"

#include "qelmask/ExitStatus.h"
#include "qelmask/MergeSession.h"
#include "qelmask/OutputWriter.h"

int MergeCommand::run(const CommandOptions& options, Diagnostics& diagnostics) {
  std::vector<std::string> outputs{options.output};
  if (!options.sortedCusto.empty()) outputs.push_back(options.sortedCusto);
  MergeSession::Names inputs{options.ref, options.neu, options.custo, options.rules};
  if (!OutputWriter::accept(outputs, inputs.guarded(), options.force, diagnostics)) {
    return kOutputRefused;
  }

  MergeSession session(inputs, diagnostics);
  if (int status = session.run(); status != kDone) {
    diagnostics.error("", "nothing written");
    return status;
  }

  OutputWriter writer(diagnostics);
  writer.add(options.output, [&](std::ostream& out) { return session.result().writeTo(out); });
  if (!options.sortedCusto.empty()) {
    writer.add(options.sortedCusto,
               [&](std::ostream& out) { return session.custo().writeTo(out); });
  }
  if (!writer.write()) return kOutputRefused;

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, false);
  out.flush();
  return kDone;
}
