#include "platform/OutputGuard.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The path as it would be opened, for files that do not exist yet.
fs::path normalised(const std::string& path) {
  std::error_code ignored;
  fs::path result = fs::weakly_canonical(fs::absolute(path, ignored), ignored);
  return result.empty() ? fs::path(path) : result;
}

}  // namespace

OutputGuard::OutputGuard(std::vector<Other> others, bool force)
    : _others(std::move(others)), _force(force) {}

std::string OutputGuard::sameFileAs(const std::string& output) const {
  struct stat out {};
  bool exists = ::stat(output.c_str(), &out) == 0;
  for (const Other& other : _others) {
    if (other.name.empty()) continue;
    struct stat in {};
    bool same = exists ? ::stat(other.name.c_str(), &in) == 0 && in.st_dev == out.st_dev &&
                             in.st_ino == out.st_ino
                       : normalised(other.name) == normalised(output);
    if (same) return other.role + " " + other.name;
  }
  return {};
}

std::string OutputGuard::refusal(const std::string& output) const {
  if (std::string other = sameFileAs(output); !other.empty()) {
    return "is the same file as " + other + "; choose another output";
  }
  struct stat link {};
  if (::lstat(output.c_str(), &link) == 0) {
    if (!S_ISREG(link.st_mode)) return "exists and is not a regular file";
    if (!_force) return "file exists; add --force to replace it";
  }
  fs::path parent = fs::path(output).parent_path();
  std::string folder = parent.empty() ? std::string(1, '.') : parent.string();
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0) return "folder " + folder + " does not exist";
  if (!S_ISDIR(dir.st_mode)) return folder + " is not a folder";
  if (::access(folder.c_str(), W_OK) != 0) return "folder " + folder + " is not writable";
  return {};
}
