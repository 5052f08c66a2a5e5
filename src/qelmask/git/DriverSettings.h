#pragma once

#include <string>
#include <string_view>
#include <vector>

// What git-setup puts into git's configuration: the merge driver and the
// diff text conversion of masks, and the attributes line that gives them
// to every *.msk file. Git runs both commands through the shell.
namespace DriverSettings {
struct Entry {
  std::string key, value;
};

inline constexpr std::string_view kAttributesLine = "*.msk merge=qelmask diff=qelmask";

// How the configuration names qelmask, given how it was run: a path made
// absolute (git runs the driver from the top of the work tree, not from
// here), or "qelmask" when it was found on PATH and will be again.
std::string program(const std::string& argv0);
// The entries, for `program` (as `program` gives it) and the absolute
// path of a rule file for every merge ("" for none).
std::vector<Entry> entries(const std::string& program, const std::string& rules);
}  // namespace DriverSettings
