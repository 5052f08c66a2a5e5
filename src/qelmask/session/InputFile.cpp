#include "qelmask/session/InputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "framework/TamLunFileIn.h"

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
  // Read as the merger reads it: in one piece, sized from the start.
  TamLunFileIn file;
  file.open(name.c_str());
  if (!file.good()) {
    error = "cannot be read";
    return false;
  }
  bytes = file.takeContent();
  return true;
}
