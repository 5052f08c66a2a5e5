#include <nlohmann/json.hpp>

#include "qelmask/commands/Commands.h"
#include "qelmask/commands/FleetOptions.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/report/FleetDocument.h"
#include "qelmask/report/FleetReportBuilder.h"
#include "qelmask/report/JsonText.h"
#include "qelmask/report/ReportDocument.h"
#include "qelmask/report/ReportPage.h"
#include "qelmask/session/InputFile.h"
#include "qelmask/session/MergeSession.h"

using Json = nlohmann::ordered_json;

namespace {

std::vector<std::string> outputsOf(const CommandOptions& options) {
  std::vector<std::string> outputs;
  if (!options.html.empty()) outputs.push_back(options.html);
  if (!options.json.empty()) outputs.push_back(options.json);
  return outputs;
}

// One text for both outputs: the page embeds the very data of --json.
bool writeOutputs(const CommandOptions& options, const std::string& data,
                  Diagnostics& diagnostics) {
  OutputWriter writer(diagnostics);
  if (!options.html.empty()) {
    writer.add(options.html, [&](std::ostream& out) { return ReportPage::write(out, data); });
  }
  if (!options.json.empty()) writer.addLine(options.json, data);
  return writer.write();
}

// The inputs a site's report names, without its own mask.
Json sharedInputsOf(const SharedInputs& shared) {
  Json inputs = Json::object();
  const MaskInput* defaults[2] = {&shared.ref(), &shared.neu()};
  const char* const roles[2] = {"ref", "new"};
  for (int i = 0; i < 2; ++i) {
    Json input = Json::object();
    input["name"] = JsonText::of(defaults[i]->name);
    input["lines"] = defaults[i]->file.getLineCount();
    inputs[roles[i]] = std::move(input);
  }
  const SharedInputs::Names& names = shared.names();
  inputs["rules"] = names.rules.empty() ? Json(nullptr) : Json(JsonText::of(names.rules));
  inputs["decisions"] =
      names.decisions.empty() ? Json(nullptr) : Json(JsonText::of(names.decisions));
  return inputs;
}

// Every site's report, put together: a question asked alike in several
// sites is one row.
int reportSites(const CommandOptions& options, Diagnostics& diagnostics) {
  FleetRun fleet(fleetSettings(options, "done"), diagnostics);
  if (int status = fleet.prepare(); status != kDone) {
    if (status != kOutputRefused) diagnostics.error("", "nothing written");
    return status;
  }
  FleetReportBuilder report(fleet.sites().size(), sharedInputsOf(fleet.shared()));
  fleet.run(
      [&](const SiteList::Site& site, size_t index, MergeSession& session, Diagnostics&) {
        report.build(index, site.name, session);
        return static_cast<int>(kDone);
      },
      [&](size_t index, const SiteOutcome& outcome) { report.done(index, outcome); });
  Json all;
  if (std::string error; !report.take(all, error)) {
    diagnostics.error("", error + "; nothing written");
    return kInputProblem;
  }
  if (!outputsOf(options).empty() && !writeOutputs(options, all.dump(), diagnostics))
    return kOutputRefused;
  std::ostream& out = diagnostics.progress();
  fleet.writeTable(out);
  out.flush();
  return fleet.status();
}

// The reports of shards of a fleet, run anywhere, as one.
int combineReports(const CommandOptions& options, Diagnostics& diagnostics) {
  std::vector<Json> fleets;
  int status = kDone;
  for (const std::string& name : options.combine) {
    std::string text, error;
    Json fleet;
    if (!InputFile::read(name, text, error) || !FleetDocument::read(text, fleet, error)) {
      diagnostics.error(name, error);
      status = kInputProblem;
      continue;
    }
    fleets.push_back(std::move(fleet));
  }
  Json all;
  std::string error;
  if (status == kDone && !FleetDocument::combine(fleets, all, error)) {
    diagnostics.error("", error);
    status = kInputProblem;
  }
  if (status != kDone) {
    diagnostics.error("", "nothing written");
    return status;
  }
  if (!writeOutputs(options, all.dump(), diagnostics)) return kOutputRefused;
  const Json& summary = all["summary"];
  diagnostics.progress() << "Combined: " << options.combine.size() << " reports, "
                         << summary["sites"].get<int>() << " sites ("
                         << summary["failed"].get<int>() << " failed), "
                         << summary["questions"].get<int>() << " questions in "
                         << summary["groups"].get<int>() << " rows\n";
  return kDone;
}

std::vector<OutputGuard::Other> guardedOf(const CommandOptions& options) {
  std::vector<OutputGuard::Other> inputs =
      MergeSession::Names{options.ref, options.neu, options.custo, options.rules, options.decisions}
          .guarded();
  for (const std::string& site : options.sites) inputs.push_back({"the input", site});
  for (const std::string& report : options.combine) inputs.push_back({"the input", report});
  return inputs;
}

}  // namespace

int Commands::report(const CommandOptions& options, Diagnostics& diagnostics) {
  std::vector<std::string> outputs = outputsOf(options);
  if (!OutputWriter::accept(outputs, guardedOf(options), options.force, diagnostics)) {
    return kOutputRefused;
  }
  if (!options.combine.empty()) return combineReports(options, diagnostics);
  if (options.overSites()) return reportSites(options, diagnostics);

  MergeSession session({options.ref, options.neu, options.custo, options.rules, options.decisions},
                       diagnostics);
  if (options.allowSwap) session.setSwapPolicy(MergeSession::SwapPolicy::kWarn);
  if (int status = session.run(); status != kDone) {
    if (!outputs.empty()) diagnostics.error("", "nothing written");
    return status;
  }

  std::string data;
  if (!outputs.empty()) data = ReportDocument::text(session);
  if (!writeOutputs(options, data, diagnostics)) return kOutputRefused;

  std::ostream& out = diagnostics.progress();
  session.writeSummary(out, false);
  out.flush();
  return kDone;
}
