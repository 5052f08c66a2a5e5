#include <nlohmann/json.hpp>

#include "qelmask/commands/Commands.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/report/ReportDocument.h"
#include "qelmask/report/ReportPage.h"
#include "qelmask/session/MergeSession.h"

int Commands::report(const CommandOptions& options, Diagnostics& diagnostics) {
  std::vector<std::string> outputs;
  if (!options.html.empty()) outputs.push_back(options.html);
  if (!options.json.empty()) outputs.push_back(options.json);
  MergeSession::Names inputs{options.ref, options.neu, options.custo, options.rules,
                             options.decisions};
  if (!OutputWriter::accept(outputs, inputs.guarded(), options.force, diagnostics)) {
    return kOutputRefused;
  }

  MergeSession session(inputs, diagnostics);
  if (options.allowSwap) session.setSwapPolicy(MergeSession::SwapPolicy::kWarn);
  if (int status = session.run(); status != kDone) {
    if (!outputs.empty()) diagnostics.error("", "nothing written");
    return status;
  }

  // One text for both outputs: the page embeds the very data of --json.
  std::string data;
  if (!outputs.empty()) data = ReportDocument::text(session);
  OutputWriter writer(diagnostics);
  if (!options.html.empty()) {
    writer.add(options.html, [&](std::ostream& out) { return ReportPage::write(out, data); });
  }
  if (!options.json.empty()) {
    writer.addLine(options.json, data);
  }
  if (!writer.write()) return kOutputRefused;

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, false);
  out.flush();
  return kDone;
}
