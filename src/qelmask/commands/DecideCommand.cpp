#include <optional>

#include "qelmask/commands/Commands.h"
#include "qelmask/decisions/DecisionChoices.h"
#include "qelmask/decisions/DecisionsFile.h"
#include "qelmask/decisions/QuestionNames.h"
#include "qelmask/decisions/ReportReader.h"
#include "qelmask/decisions/RulesFromDecisions.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/output/OutputWriter.h"
#include "qelmask/session/InputFile.h"

namespace {

// "1 decision", "2 decisions".
std::string counted(size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

bool readReport(const std::string& name, ReportReader::Report& report, Diagnostics& diagnostics) {
  std::string text, error;
  if (!InputFile::read(name, text, error) || !ReportReader::read(text, report, error)) {
    diagnostics.error(name, error);
    return false;
  }
  return true;
}

// The lines the new file starts from: the earlier file given, or else the
// one the report was made with, which the report carries.
bool readBase(const CommandOptions& options, const ReportReader::Report& report,
              std::vector<DecisionLine>& base, Diagnostics& diagnostics) {
  if (options.decisions.empty()) {
    base = report.kept;
    return true;
  }
  DecisionsFile file;
  if (!file.load(options.decisions, diagnostics)) return false;
  base = file.lines();
  return true;
}

// What the choices of the run did to the lines.
struct Changes {
  int added = 0, replaced = 0, removed = 0, unchanged = 0;

  void count(DecisionChoices::Change change) {
    if (change == DecisionChoices::Change::kAdded) ++added;
    if (change == DecisionChoices::Change::kReplaced) ++replaced;
    if (change == DecisionChoices::Change::kRemoved) ++removed;
    if (change == DecisionChoices::Change::kUnchanged ||
        change == DecisionChoices::Change::kNothing)
      ++unchanged;
  }
  std::string text() const {
    std::string parts;
    auto part = [&](int count, const char* what) {
      if (count > 0) parts += (parts.empty() ? "" : ", ") + std::to_string(count) + " " + what;
    };
    part(added, "added");
    part(replaced, "replaced");
    part(removed, "removed");
    part(unchanged, "as they were");
    return parts;
  }
};

// The option taken for one named question, or for a node below one that
// version N+1 adds: leave it out (the alternative) or add it with the rest.
bool takeOne(const CommandOptions& options, const QuestionNames::Target& target,
             DecisionChoices& choices, Changes& changes, std::string& error) {
  Choice take = options.take == "alternative" ? Choice::kAlternative : Choice::kRecommendation;
  std::string number = target.row->label();
  if (target.inner) {
    if (options.withSubtree) {
      error = target.inner->id + " is a node below the node " + number +
              " adds: --with-subtree keeps a node version N+1 dropped";
      return false;
    }
    changes.count(take == Choice::kAlternative ? choices.refuse(target.inner->refusal)
                                               : choices.accept(target.inner->refusal));
    return true;
  }
  const QuestionKindInfo& kind = questionKind(target.row->question.kind);
  if (options.withSubtree && !kind.withSubtree) {
    std::string kinds;
    for (const QuestionKindInfo& info : questionKinds()) {
      if (info.withSubtree) kinds += std::string(kinds.empty() ? "" : " or ") + info.name;
    }
    error = number + " is a " + kind.name + " question: --with-subtree keeps a node version N+1 " +
            "dropped (" + kinds + ")";
    return false;
  }
  changes.count(choices.take(target.row->question, take, options.withSubtree));
  return true;
}

bool takeAll(const CommandOptions& options, const ReportReader::Report& report,
             DecisionChoices& choices, Changes& changes, Diagnostics& diagnostics) {
  QuestionNames names(report);
  bool good = true;
  for (const std::string& name : options.named) {
    QuestionNames::Target target;
    std::string error;
    if (!names.resolve(name, target, error) || !takeOne(options, target, choices, changes, error)) {
      diagnostics.error(options.report, error);
      good = false;
    }
  }
  return good;
}

// The report's rule file, read for --rules-output; it must not be an output.
bool readRuleFile(const CommandOptions& options, const ReportReader::Report& report,
                  std::optional<std::string>& bytes, Diagnostics& diagnostics, int& status) {
  if (!report.rulesFile) return true;
  std::vector<std::string> outputs{options.output, options.rulesOutput};
  if (!OutputWriter::accept(outputs, {{"the rule file", *report.rulesFile}}, true, diagnostics)) {
    status = kOutputRefused;
    return false;
  }
  std::string text, error;
  if (!InputFile::read(*report.rulesFile, text, error)) {
    diagnostics.error(*report.rulesFile, error + " (the rule file of " + options.report + ")");
    status = kInputProblem;
    return false;
  }
  bytes = std::move(text);
  return true;
}

void tellRules(const RulesFromDecisions& rules, const ReportReader::Report& report,
               std::ostream& out) {
  out << "Rules: " << rules.ruleCount() << " for the decisions";
  if (rules.notRuleCount() > 0)
    out << ", " << counted(static_cast<size_t>(rules.notRuleCount()), "decision")
        << " no rule can take (as comments)";
  if (report.rulesFile)
    out << "; then " << *report.rulesFile << "\n";
  else
    out << "; the report had no rule file\n";
}

bool writeAll(const CommandOptions& options, const std::string& decisions, const std::string& rules,
              Diagnostics& diagnostics) {
  OutputWriter writer(diagnostics);
  auto text = [](const std::string& bytes) {
    return [&bytes](std::ostream& out) {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.flush();
      return out.good();
    };
  };
  writer.add(options.output, text(decisions));
  if (!options.rulesOutput.empty()) writer.add(options.rulesOutput, text(rules));
  return writer.write();
}

// What is wrong before anything is read: the outputs.
int refusal(const CommandOptions& options, Diagnostics& diagnostics) {
  std::vector<std::string> outputs{options.output};
  if (!options.rulesOutput.empty()) outputs.push_back(options.rulesOutput);
  bool accepted = OutputWriter::accept(
      outputs, {{"the report", options.report}, {"the decisions file", options.decisions}},
      options.force, diagnostics);
  return accepted ? kDone : kOutputRefused;
}

int nothingWritten(Diagnostics& diagnostics, int status = kInputProblem) {
  // A refused output has said so already.
  if (status != kOutputRefused) diagnostics.error("", "nothing written");
  return status;
}

}  // namespace

int Commands::decide(const CommandOptions& options, Diagnostics& diagnostics) {
  if (int status = refusal(options, diagnostics); status != kDone) return status;
  ReportReader::Report report;
  std::vector<DecisionLine> base;
  if (!readReport(options.report, report, diagnostics) ||
      !readBase(options, report, base, diagnostics))
    return nothingWritten(diagnostics);
  // The report's stale lines are those of the file it was made with.
  DecisionChoices choices(base, report.stale);
  Changes changes;
  if (!takeAll(options, report, choices, changes, diagnostics)) return nothingWritten(diagnostics);

  std::optional<RulesFromDecisions> rules;
  std::string rulesText;
  if (!options.rulesOutput.empty()) {
    std::optional<std::string> ruleFile;
    int status = kDone;
    if (!readRuleFile(options, report, ruleFile, diagnostics, status))
      return nothingWritten(diagnostics, status);
    rules.emplace(report, choices.lines());
    rulesText = rules->text({options.report, options.output}, ruleFile);
  }
  if (!writeAll(options, DecisionsFile::compose(choices.texts()), rulesText, diagnostics))
    return kOutputRefused;
  std::ostream& out = diagnostics.progress();
  out << "Decisions: " << choices.lines().size() << " (this run: " << changes.text() << ")\n";
  if (rules) tellRules(*rules, report, out);
  return kDone;
}
