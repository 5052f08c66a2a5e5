#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "platform/FdStreamBuf.h"

// A file written in full or not at all. The bytes go to a temporary file
// beside the target (same folder, so the rename stays on one device);
// `commit` flushes them to the device and renames the temporary over the
// target. Until then the target is untouched, and a failure, an early
// return or a signal removes the temporary.
class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file. False, with the reason in `error`, when it
  // cannot be created.
  bool open(std::string& error);
  // Where the content goes; valid after a successful `open`.
  std::ostream& stream() { return *_stream; }
  // Flushes, syncs and closes the temporary, gives it the target's mode (or
  // the mode a new file gets) and renames it over the target. False, with
  // the reason in `error`, when any step fails: the target is then as it
  // was and the temporary is gone.
  bool commit(std::string& error);
  // Empties the temporary, to write its content again from the start.
  // False when the stream had already failed or the file cannot be emptied.
  bool restart();
  // Removes the temporary, if there is one.
  void discard();

  const std::string& target() const { return _target; }
  const std::string& temporary() const { return _temporary; }

 private:
  bool fail(const char* step, int code, std::string& error);

  std::string _target;
  std::string _temporary;
  int _slot = -1;  // the temporary's in TempFileRegistry
  int _fd = -1;
  std::unique_ptr<FdStreamBuf> _buffer;
  std::unique_ptr<std::ostream> _stream;
};
