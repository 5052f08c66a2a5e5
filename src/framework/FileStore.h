#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>

// Where the line files of the framework are read from and written to: the
// disk, unless a test or a fuzz target puts a store of its own in its place
// (files held in memory), so that whole runs need no file on the disk.
class FileStore {
 public:
  virtual ~FileStore() = default;

  // What `access` tells with modes F_OK and R_OK.
  virtual bool exists(const char* name) = 0;
  virtual bool readable(const char* name) = 0;
  // The whole content; false when the file cannot be read (a folder, say).
  virtual bool read(const char* name, std::string& content) = 0;
  // A stream that creates the file or empties it; not good when it cannot.
  // What was written is in the file once the stream is gone.
  virtual std::unique_ptr<std::ostream> create(const char* name) = 0;

  static FileStore& current();
  // Puts `store` in place (null: the disk again); returns the one it replaces.
  static FileStore* install(FileStore* store);
};

// Files held in memory, by name.
class MemoryFileStore : public FileStore {
 public:
  bool exists(const char* name) override { return files.count(name) > 0; }
  bool readable(const char* name) override { return exists(name); }
  bool read(const char* name, std::string& content) override;
  std::unique_ptr<std::ostream> create(const char* name) override;

  std::map<std::string, std::string> files;
};
