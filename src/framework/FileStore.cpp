#include "framework/FileStore.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

// A file of many megabytes is read into memory that takes huge pages where
// the system offers them: a few faults instead of one per 4 KiB page.
void preferHugePages(char* data, size_t size) {
  constexpr uintptr_t kPage = 4096;
  constexpr size_t kWorthIt = size_t{4} << 20;
  if (size < kWorthIt) return;
  // The advice takes whole pages: those that lie inside the buffer.
  char* begin = data + (kPage - reinterpret_cast<uintptr_t>(data) % kPage) % kPage;
  char* end = data + size - reinterpret_cast<uintptr_t>(data + size) % kPage;
  if (end > begin) madvise(begin, static_cast<size_t>(end - begin), MADV_HUGEPAGE);
}

class DiskFileStore : public FileStore {
 public:
  bool exists(const char* name) override { return ::access(name, F_OK) == 0; }
  bool readable(const char* name) override { return ::access(name, R_OK) == 0; }

  // Reads the whole file; false on any read error (reading a folder fails).
  bool read(const char* name, std::string& content) override {
    int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool read = readAll(fd, content);
    ::close(fd);
    return read;
  }

  std::unique_ptr<std::ostream> create(const char* name) override {
    return std::make_unique<std::ofstream>(name, std::ios::binary | std::ios::trunc);
  }

 private:
  static bool readAll(int fd, std::string& content) {
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return false;
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
      content.reserve(static_cast<size_t>(info.st_size));
      preferHugePages(content.data(), content.capacity());
    }
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n == 0) return true;
      if (n < 0) return false;
      content.append(buffer, static_cast<size_t>(n));
    }
  }
};

// A file of the memory store being written: it takes its place in the
// store when the stream goes.
class MemoryOutput : public std::ostringstream {
 public:
  MemoryOutput(std::string& file) : _file(file) { _file.clear(); }
  ~MemoryOutput() override { _file = str(); }

 private:
  std::string& _file;
};

FileStore*& installed() {
  static FileStore* store = nullptr;
  return store;
}

}  // namespace

FileStore& FileStore::current() {
  static DiskFileStore disk;
  FileStore* store = installed();
  return store ? *store : disk;
}

FileStore* FileStore::install(FileStore* store) {
  FileStore* previous = installed();
  installed() = store;
  return previous;
}

bool MemoryFileStore::read(const char* name, std::string& content) {
  auto file = files.find(name);
  if (file == files.end()) return false;
  content = file->second;
  return true;
}

std::unique_ptr<std::ostream> MemoryFileStore::create(const char* name) {
  return std::make_unique<MemoryOutput>(files[name]);
}
