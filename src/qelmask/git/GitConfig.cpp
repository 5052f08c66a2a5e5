#include "qelmask/git/GitConfig.h"

#include <vector>

#include "qelmask/git/GitProgram.h"

bool GitConfig::get(const std::string& key, std::optional<std::string>& value,
                    std::string& error) const {
  return read(key, false, value, error);
}

bool GitConfig::getPath(const std::string& key, std::optional<std::string>& value,
                        std::string& error) const {
  return read(key, true, value, error);
}

bool GitConfig::read(const std::string& key, bool path, std::optional<std::string>& value,
                     std::string& error) const {
  std::vector<std::string> args{"config", _scope};
  if (path) args.emplace_back("--path");
  args.insert(args.end(), {"--get", key});
  GitProgram::Result result = GitProgram::run(args);
  // git config --get: status 1 means the key is not set.
  if (result.started && result.status == 1 && result.err.empty()) {
    value.reset();
    return true;
  }
  if (!result.succeeded()) {
    error = result.problem();
    return false;
  }
  std::string text = result.out;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  value = text;
  return true;
}

bool GitConfig::set(const std::string& key, const std::string& value, std::string& error) const {
  GitProgram::Result result = GitProgram::run({"config", _scope, "--replace-all", key, value});
  if (result.succeeded()) return true;
  error = result.problem();
  return false;
}
