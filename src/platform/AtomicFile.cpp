#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>

#include "platform/TempFileRegistry.h"

namespace {

// The folder of `path`, "." for a bare name.
std::string folderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// The mode a file created now would get: what the umask leaves of 0666.
mode_t newFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : _target(std::move(target)) {}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::fail(const char* step, int code, std::string& error) {
  error = std::string(step) + ": " + std::strerror(code);
  discard();
  return false;
}

bool AtomicFile::open(std::string& error) {
  std::string name = std::filesystem::path(_target).filename().string();
  std::string pattern = folderOf(_target) + "/." + name + ".qelmask-XXXXXX";
  // No signal between the creation and the registration: the handler
  // must know of every temporary that exists.
  sigset_t signals, previous;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
  sigprocmask(SIG_BLOCK, &signals, &previous);
  _fd = ::mkstemp(pattern.data());
  int code = errno;
  if (_fd >= 0) {
    _temporary = pattern;
    _slot = TempFileRegistry::add(_temporary.c_str());
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  if (_fd < 0) return fail("cannot create a file in its folder", code, error);
  _buffer = std::make_unique<FdStreamBuf>(_fd);
  _stream = std::make_unique<std::ostream>(_buffer.get());
  return true;
}

bool AtomicFile::restart() {
  _stream->flush();
  if (_buffer->failure() || !_stream->good()) return false;
  return ::ftruncate(_fd, 0) == 0 && ::lseek(_fd, 0, SEEK_SET) == 0;
}

bool AtomicFile::commit(std::string& error) {
  _stream->flush();
  if (int code = _buffer->failure()) return fail("cannot write", code, error);
  if (!_stream->good()) return fail("cannot write", EIO, error);
  struct stat existing {};
  mode_t mode = ::stat(_target.c_str(), &existing) == 0 ? existing.st_mode & 07777 : newFileMode();
  if (::fchmod(_fd, mode) != 0) return fail("cannot set the mode", errno, error);
  if (::fsync(_fd) != 0) return fail("cannot write", errno, error);
  int fd = _fd;
  _fd = -1;
  if (::close(fd) != 0) return fail("cannot write", errno, error);
  if (::rename(_temporary.c_str(), _target.c_str()) != 0) {
    return fail("cannot replace", errno, error);
  }
  TempFileRegistry::remove(_slot);
  _slot = -1;
  _temporary.clear();
  // The new name itself must reach the device too.
  int folder = ::open(folderOf(_target).c_str(), O_RDONLY | O_DIRECTORY);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

void AtomicFile::discard() {
  if (_fd >= 0) {
    ::close(_fd);
    _fd = -1;
  }
  if (!_temporary.empty()) {
    ::unlink(_temporary.c_str());
    TempFileRegistry::remove(_slot);
    _slot = -1;
    _temporary.clear();
  }
}
