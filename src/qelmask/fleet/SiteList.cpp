#include "qelmask/fleet/SiteList.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "platform/OutputGuard.h"
#include "qelmask/output/ExitStatus.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMaskSuffix = ".msk";

// A file's identity on its device, so that a link is the file it links to.
using FileId = std::pair<dev_t, ino_t>;

bool idOf(const std::string& path, FileId& id) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  id = {info.st_dev, info.st_ino};
  return true;
}

// Whether `path` lies in `folder` or below it, whatever links lead there.
bool holds(const fs::path& folder, const std::string& path) {
  std::error_code error;
  fs::path file = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) return false;
  for (fs::path at = file.parent_path(); !at.empty(); at = at.parent_path()) {
    if (at == folder) return true;
    if (at == at.root_path()) break;
  }
  return false;
}

}  // namespace

int SiteList::gather(const std::vector<std::string>& files, const std::string& folder,
                     Diagnostics& diagnostics) {
  for (const std::string& file : files) {
    _sites.push_back({file, fs::path(file).filename().string(), ""});
  }
  if (!folder.empty() && !listFolder(folder, diagnostics)) return kInputProblem;
  if (_sites.empty()) {
    diagnostics.error(folder, "no mask in the folder (a site's mask is a file named *.msk)");
    return kInputProblem;
  }
  return namesAreUnique(diagnostics) ? kDone : kOutputRefused;
}

bool SiteList::listFolder(const std::string& folder, Diagnostics& diagnostics) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    diagnostics.error(folder, fs::exists(folder, error) ? "not a folder" : "folder does not exist");
    return false;
  }
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.size() > kMaskSuffix.size() && name.ends_with(kMaskSuffix) && name[0] != '.')
      names.push_back(std::move(name));
  }
  if (error) {
    diagnostics.error(folder, "cannot list the folder: " + error.message());
    return false;
  }
  std::sort(names.begin(), names.end());
  for (std::string& name : names) {
    _sites.push_back({(fs::path(folder) / name).string(), std::move(name), ""});
  }
  return true;
}

bool SiteList::namesAreUnique(Diagnostics& diagnostics) const {
  std::map<std::string, const Site*> first;
  bool unique = true;
  for (const Site& site : _sites) {
    auto [at, added] = first.emplace(site.name, &site);
    if (added) continue;
    diagnostics.error(site.path, "same file name as " + at->second->path +
                                     ": one output would replace the other; nothing written");
    unique = false;
  }
  return unique;
}

bool SiteList::placeOutputs(const std::string& outputDir, const std::vector<std::string>& others,
                            bool force, Diagnostics& diagnostics) {
  std::error_code error;
  fs::path folder = fs::weakly_canonical(fs::absolute(outputDir, error), error);
  bool accepted = true;
  std::set<FileId> inputs;
  auto checkInput = [&](const std::string& input) {
    if (input.empty()) return;
    if (FileId id; idOf(input, id)) inputs.insert(id);
    if (!holds(folder, input)) return;
    diagnostics.error(outputDir,
                      "holds the input " + input +
                          "; give an output folder apart from the inputs; nothing written");
    accepted = false;
  };
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    diagnostics.error(outputDir, "not a folder; nothing written");
    return false;
  }
  for (const std::string& other : others) checkInput(other);
  for (const Site& site : _sites) checkInput(site.path);
  if (!accepted) return false;
  // The folder is made when missing; what lies in it is checked as any
  // output would be.
  OutputGuard guard({}, force);
  for (Site& site : _sites) {
    site.output = (fs::path(outputDir) / site.name).string();
    if (FileId id; idOf(site.output, id) && inputs.count(id) > 0) {
      diagnostics.error(site.output, "is one of the inputs; nothing written");
      accepted = false;
      continue;
    }
    if (!fs::exists(folder, error)) continue;
    if (std::string refusal = guard.refusal(site.output); !refusal.empty()) {
      diagnostics.error(site.output, refusal + "; nothing written");
      accepted = false;
    }
  }
  return accepted;
}

bool SiteList::makeOutputDir(const std::string& outputDir, Diagnostics& diagnostics) {
  std::error_code error;
  if (fs::is_directory(outputDir, error)) return true;
  if (fs::create_directories(outputDir, error)) return true;
  diagnostics.error(outputDir, "cannot make the folder: " + error.message() + "; nothing written");
  return false;
}
