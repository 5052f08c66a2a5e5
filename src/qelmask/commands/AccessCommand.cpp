#include <algorithm>
#include <array>
#include <ostream>

#include "qelmask/commands/Commands.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/report/AccessRows.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/summary/AccessChanges.h"
#include "tree/MergerObj.h"

namespace {

constexpr size_t kColumns = 7;
using Row = std::array<std::string, kColumns>;

Row rowOf(const AccessChanges& access, const AccessChanges::Entry& entry, const char* change) {
  return {std::string(entry.mask->name()),
          AccessChanges::owner(entry),
          std::string(AccessChanges::operation(entry)),
          entry.before ? std::string(AccessChanges::valueBefore(entry)) : "-",
          entry.after ? std::string(AccessChanges::valueAfter(entry)) : "-",
          change,
          access.cause(entry).text};
}

// Every column but the last as wide as its widest cell, two blanks apart.
void writeTable(std::ostream& out, const std::vector<Row>& rows) {
  std::array<size_t, kColumns> width{};
  for (const Row& row : rows) {
    for (size_t c = 0; c < kColumns; ++c) width[c] = std::max(width[c], row[c].size());
  }
  for (const Row& row : rows) {
    std::string line;
    for (size_t c = 0; c + 1 < kColumns; ++c) {
      line += row[c];
      line.append(width[c] - row[c].size() + 2, ' ');
    }
    line += row[kColumns - 1];
    out << line << "\n";
  }
}

}  // namespace

int Commands::access(const CommandOptions& options, Diagnostics& diagnostics) {
  std::vector<std::string> outputs;
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
  const AccessChanges& access = session.accessChanges();
  if (!options.json.empty()) {
    std::string data = AccessRows::document(access);
    OutputWriter writer(diagnostics);
    writer.addLine(options.json, data);
    if (!writer.write()) return kOutputRefused;
  }

  // The table is what the command is for: --quiet keeps it.
  std::ostream& out = diagnostics.output();
  if (access.access().empty() && access.auth().empty()) {
    out << "No access line changes.\n";
    return kDone;
  }
  std::vector<Row> rows{{"MASK", "NODE", "OPERATION", "BEFORE", "AFTER", "CHANGE", "CAUSE"}};
  for (const AccessChanges::Entry& entry : access.access())
    rows.push_back(rowOf(access, entry, AccessChanges::changeName(entry.change)));
  for (const AccessChanges::Entry& entry : access.auth())
    rows.push_back(rowOf(access, entry, "auth"));
  writeTable(out, rows);
  out.flush();
  return kDone;
}
