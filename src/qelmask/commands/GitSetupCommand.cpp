#include <cstdlib>
#include <filesystem>
#include <optional>

#include "qelmask/commands/Commands.h"
#include "qelmask/git/AttributesFile.h"
#include "qelmask/git/DriverSettings.h"
#include "qelmask/git/GitConfig.h"
#include "qelmask/git/GitProgram.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/session/InputFile.h"
#include "qelmask/session/RuleFileReader.h"
#include "rules/MergerRule.h"

namespace fs = std::filesystem;

namespace {

// The top of the current repository's work tree; false after saying why
// there is none.
bool workTreeTop(std::string& top, Diagnostics& diagnostics) {
  GitProgram::Result result = GitProgram::run({"rev-parse", "--show-toplevel"});
  if (!result.started) {
    diagnostics.error("", result.failure);
    return false;
  }
  top = result.out;
  if (!top.empty() && top.back() == '\n') top.pop_back();
  if (result.status == 0 && !top.empty()) return true;
  diagnostics.error("", "not in the work tree of a git repository (" + result.problem() +
                            "): run git-setup there, or with --global for every repository "
                            "of yours");
  return false;
}

// The user's attributes file: core.attributesFile, else where git looks
// when it is not set.
bool userAttributesFile(std::string& path, Diagnostics& diagnostics) {
  std::optional<std::string> value;
  std::string error;
  if (!GitConfig(true).getPath("core.attributesfile", value, error)) {
    diagnostics.error("", error);
    return false;
  }
  if (value && !value->empty()) {
    path = *value;
    return true;
  }
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    path = std::string(config) + "/git/attributes";
    return true;
  }
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    diagnostics.error("", "HOME is not set: no place for the user's git attributes file");
    return false;
  }
  path = std::string(home) + "/.config/git/attributes";
  return true;
}

// The rule file as every merge will read it: absolute, since git runs the
// driver elsewhere, and free of errors, since one would stop every merge.
bool checkedRules(const std::string& rules, std::string& absolute, Diagnostics& diagnostics) {
  if (rules.empty()) return true;
  RuleFileReader reader;
  std::string error;
  bool loaded = reader.load(rules, error);
  MergerRule::end();
  if (!loaded) {
    diagnostics.error(rules, error);
    return false;
  }
  for (const RuleFileReader::Problem& problem : reader.problems())
    diagnostics.errorAt(rules, problem.line, problem.message);
  if (!reader.problems().empty()) return false;
  absolute = fs::absolute(rules).lexically_normal().string();
  return true;
}

// Sets each entry that does not hold its value yet; false on the first
// failure. `changed` counts what was set.
bool setEntries(const GitConfig& config, const std::vector<DriverSettings::Entry>& entries,
                int& changed, Diagnostics& diagnostics) {
  for (const DriverSettings::Entry& entry : entries) {
    std::optional<std::string> current;
    std::string error;
    if (!config.get(entry.key, current, error)) {
      diagnostics.error("", entry.key + ": " + error);
      return false;
    }
    if (current == entry.value) continue;
    if (!config.set(entry.key, entry.value, error)) {
      diagnostics.error("", entry.key + ": " + error);
      return false;
    }
    diagnostics.progress() << "set " << entry.key << " = " << entry.value << "\n";
    ++changed;
  }
  return true;
}

}  // namespace

int Commands::gitSetup(const CommandOptions& options, Diagnostics& diagnostics) {
  std::string rules;
  if (!checkedRules(options.rules, rules, diagnostics)) return kInputProblem;
  std::string attributes, shown;
  if (options.global) {
    if (!userAttributesFile(attributes, diagnostics)) return kInputProblem;
    shown = attributes;
  } else {
    std::string top;
    if (!workTreeTop(top, diagnostics)) return kInputProblem;
    attributes = top + "/.gitattributes";
    shown = ".gitattributes";
  }

  int changed = 0;
  std::string program = DriverSettings::program(options.program);
  if (!setEntries(GitConfig(options.global), DriverSettings::entries(program, rules), changed,
                  diagnostics))
    return kInputProblem;
  bool added = false;
  std::string error;
  if (!AttributesFile::ensure(attributes, DriverSettings::kAttributesLine, added, error)) {
    diagnostics.error(attributes, error);
    return kInputProblem;
  }
  if (added) {
    diagnostics.progress() << "added to " << shown << ": " << DriverSettings::kAttributesLine
                           << "\n";
    ++changed;
  }
  if (changed == 0) diagnostics.progress() << "nothing to change\n";
  return kDone;
}
