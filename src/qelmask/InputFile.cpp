#include "qelmask/InputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

bool InputFile::read(const std::string& name, std::string& bytes, std::string& error) {
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) {
    error = errno == ENOENT || errno == ENOTDIR
                ? "file does not exist"
                : std::string("cannot be read: ") + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    error = "is a folder, not a file";
    return false;
  }
  if (::access(name.c_str(), R_OK) != 0) {
    error = "file is not readable";
    return false;
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    error = std::string("cannot be read: ") + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    error = "cannot be read: input/output error";
    return false;
  }
  bytes = std::move(content).str();
  return true;
}
