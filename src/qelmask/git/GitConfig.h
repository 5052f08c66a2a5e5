#pragma once

#include <optional>
#include <string>

// One of git's configuration files, read and written through git itself
// (`git config --local` or `--global`), so that its syntax, includes and
// locking stay git's business.
class GitConfig {
 public:
  // The repository's own file (--local), or the user's (--global).
  explicit GitConfig(bool global) : _scope(global ? "--global" : "--local") {}

  // The value of `key` in this file alone, nullopt when it has none; false
  // (with the reason in `error`) when git could not tell.
  bool get(const std::string& key, std::optional<std::string>& value, std::string& error) const;
  // Gives `key` the single value `value` (replacing every earlier one).
  bool set(const std::string& key, const std::string& value, std::string& error) const;
  // A path-valued key, with "~/" expanded as git expands it.
  bool getPath(const std::string& key, std::optional<std::string>& value, std::string& error) const;

 private:
  bool read(const std::string& key, bool path, std::optional<std::string>& value,
            std::string& error) const;

  std::string _scope;
};
