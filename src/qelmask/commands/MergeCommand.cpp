#include "qelmask/commands/Commands.h"
#include "qelmask/commands/FleetOptions.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/summary/Findings.h"
#include "qelmask/summary/LayoutNotes.h"

namespace {

MaskLayout layoutOf(const CommandOptions& options) {
  return options.legacyLayout ? MaskLayout::kLegacy : MaskLayout::kReadBack;
}

// What --fail-on finds in the merge, or "" to go on.
std::string failing(const CommandOptions& options, const MergeSession& session) {
  Findings::Selection failOn{};
  std::string ignored;
  if (!options.failOn.empty()) Findings::parse(options.failOn, failOn, ignored);
  return Findings::of(session).failing(failOn);
}

// A file is written again from the start in the rare case that a field
// holds its separator.
void addMask(OutputWriter& writer, const std::string& name, MergerFile& mask, MaskLayout layout,
             WriteNotes& notes) {
  writer.add(name, [&mask, layout, &notes](AtomicFile& file) {
    return mask.writeTo(file.stream(), layout, &notes, [&] { return file.restart(); });
  });
}

// Each site's mask to its output, as a run of its own would write it.
int mergeSites(const CommandOptions& options, Diagnostics& diagnostics) {
  MaskLayout layout = layoutOf(options);
  FleetRun fleet(fleetSettings(options, "written"), diagnostics);
  if (int status = fleet.prepare(); status != kDone) {
    // A refusal already says so.
    if (status != kOutputRefused) diagnostics.error("", "nothing written");
    return status;
  }
  fleet.run([&](const SiteList::Site& site, size_t, MergeSession& session, Diagnostics& said) {
    if (std::string found = failing(options, session); !found.empty()) {
      said.error(site.path, "refused by --fail-on: " + found + "; nothing written");
      return static_cast<int>(kInputProblem);
    }
    OutputWriter writer(said);
    WriteNotes notes;
    addMask(writer, site.output, session.result(), layout, notes);
    if (!writer.write()) return static_cast<int>(kOutputRefused);
    LayoutNotes::tell(notes, site.output, said);
    return static_cast<int>(kDone);
  });
  std::ostream& out = diagnostics.progress();
  fleet.writeTable(out);
  out.flush();
  return fleet.status();
}

}  // namespace

int Commands::merge(const CommandOptions& options, Diagnostics& diagnostics) {
  if (options.overSites()) return mergeSites(options, diagnostics);
  std::vector<std::string> outputs{options.output};
  if (!options.sortedCusto.empty()) outputs.push_back(options.sortedCusto);
  MergeSession::Names inputs{options.ref, options.neu, options.custo, options.rules,
                             options.decisions};
  if (!OutputWriter::accept(outputs, inputs.guarded(), options.force, diagnostics)) {
    return kOutputRefused;
  }

  MaskLayout layout = layoutOf(options);
  MergeSession session(inputs, diagnostics, layout);
  if (options.allowSwap) session.setSwapPolicy(MergeSession::SwapPolicy::kWarn);
  if (int status = session.run(); status != kDone) {
    diagnostics.error("", "nothing written");
    return status;
  }
  // A pipeline may refuse a merge that, say, widens access: the summary
  // says what was found, and nothing is written.
  if (std::string found = failing(options, session); !found.empty()) {
    std::ostream& out = diagnostics.progress();
    session.writeSummary(out, false);
    out.flush();
    diagnostics.error("", "refused by --fail-on: " + found + "; nothing written");
    return kInputProblem;
  }

  OutputWriter writer(diagnostics);
  WriteNotes merged, sorted;
  addMask(writer, options.output, session.result(), layout, merged);
  if (!options.sortedCusto.empty()) {
    addMask(writer, options.sortedCusto, session.custo(), layout, sorted);
  }
  if (!writer.write()) return kOutputRefused;
  LayoutNotes::tell(merged, options.output, diagnostics);
  if (!options.sortedCusto.empty()) LayoutNotes::tell(sorted, options.sortedCusto, diagnostics);

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, false);
  out.flush();
  return kDone;
}
