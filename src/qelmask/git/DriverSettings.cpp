#include "qelmask/git/DriverSettings.h"

#include <filesystem>

#include "qelmask/git/ShellWord.h"

std::string DriverSettings::program(const std::string& argv0) {
  if (argv0.find('/') == std::string::npos) return "qelmask";
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(argv0, ignored);
  return (absolute.empty() ? std::filesystem::path(argv0) : absolute).lexically_normal().string();
}

std::vector<DriverSettings::Entry> DriverSettings::entries(const std::string& program,
                                                           const std::string& rules) {
  std::string command = ShellWord::quoted(program);
  std::string driver = command + " git-merge %O %A %B %P";
  if (!rules.empty()) driver += " --rules " + ShellWord::quoted(rules);
  return {{"merge.qelmask.name", "qelmask: merge of security masks"},
          {"merge.qelmask.driver", driver},
          {"diff.qelmask.textconv", command + " lines"}};
}
