#include "qelmask/git/AttributesFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The words of a line: its pattern first, then its attributes, sorted.
std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> found;
  const std::string_view blanks = " \t\r";
  for (size_t at = line.find_first_not_of(blanks); at != std::string_view::npos;
       at = line.find_first_not_of(blanks, at)) {
    size_t end = std::min(line.find_first_of(blanks, at), line.size());
    found.push_back(line.substr(at, end - at));
    at = end;
  }
  if (found.size() > 1) std::sort(found.begin() + 1, found.end());
  return found;
}

}  // namespace

bool AttributesFile::holds(std::string_view content, std::string_view line) {
  std::vector<std::string_view> wanted = words(line);
  for (size_t at = 0; at <= content.size();) {
    size_t end = std::min(content.find('\n', at), content.size());
    if (words(content.substr(at, end - at)) == wanted) return true;
    at = end + 1;
  }
  return false;
}

bool AttributesFile::ensure(const std::string& path, std::string_view line, bool& added,
                            std::string& error) {
  added = false;
  std::error_code code;
  std::string content;
  if (fs::exists(path, code)) {
    if (!fs::is_regular_file(path, code)) {
      error = "exists and is not a regular file";
      return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!in.is_open()) {
      error = "cannot be read";
      return false;
    }
    text << in.rdbuf();
    content = text.str();
    if (holds(content, line)) return true;
  } else if (fs::path folder = fs::path(path).parent_path(); !folder.empty()) {
    fs::create_directories(folder, code);
    if (code) {
      error = "cannot create its folder: " + code.message();
      return false;
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!content.empty() && content.back() != '\n') out << '\n';
  out << line << '\n';
  out.close();
  if (!out) {
    error = std::string("cannot be written: ") + std::strerror(errno);
    return false;
  }
  added = true;
  return true;
}
