#include "qelmask/commands/Commands.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/summary/Findings.h"
#include "qelmask/summary/LayoutNotes.h"

int Commands::merge(const CommandOptions& options, Diagnostics& diagnostics) {
  std::vector<std::string> outputs{options.output};
  if (!options.sortedCusto.empty()) outputs.push_back(options.sortedCusto);
  MergeSession::Names inputs{options.ref, options.neu, options.custo, options.rules,
                             options.decisions};
  if (!OutputWriter::accept(outputs, inputs.guarded(), options.force, diagnostics)) {
    return kOutputRefused;
  }

  MaskLayout layout = options.legacyLayout ? MaskLayout::kLegacy : MaskLayout::kReadBack;
  MergeSession session(inputs, diagnostics, layout);
  if (options.allowSwap) session.setSwapPolicy(MergeSession::SwapPolicy::kWarn);
  if (int status = session.run(); status != kDone) {
    diagnostics.error("", "nothing written");
    return status;
  }
  // A pipeline may refuse a merge that, say, widens access: the summary
  // says what was found, and nothing is written.
  Findings::Selection failOn{};
  std::string ignored;
  if (!options.failOn.empty()) Findings::parse(options.failOn, failOn, ignored);
  if (std::string failing = Findings::of(session).failing(failOn); !failing.empty()) {
    std::ostream& out = diagnostics.progress();
    session.writeSummary(out, false);
    out.flush();
    diagnostics.error("", "refused by --fail-on: " + failing + "; nothing written");
    return kInputProblem;
  }

  OutputWriter writer(diagnostics);
  WriteNotes merged, sorted;
  // A file is written again from the start in the rare case that a field
  // holds its separator.
  writer.add(options.output, [&](AtomicFile& file) {
    return session.result().writeTo(file.stream(), layout, &merged, [&] { return file.restart(); });
  });
  if (!options.sortedCusto.empty()) {
    writer.add(options.sortedCusto, [&](AtomicFile& file) {
      return session.custo().writeTo(file.stream(), layout, &sorted,
                                     [&] { return file.restart(); });
    });
  }
  if (!writer.write()) return kOutputRefused;
  LayoutNotes::tell(merged, options.output, diagnostics);
  if (!options.sortedCusto.empty()) LayoutNotes::tell(sorted, options.sortedCusto, diagnostics);

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, false);
  out.flush();
  return kDone;
}
