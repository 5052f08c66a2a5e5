#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "framework/VexTypes.h"
#include "framework/VexUnicodeString.h"

// A named diagnostic channel. It is active when its name is listed in the
// environment variable VEX_TRACE (comma-separated, "*" for all), so every
// object of one name is switched on or off together. An active channel
// writes its text unchanged to standard output, through the same stream as
// the rest of the tool's output, so that lines keep the order of writing.
class VexQelTrace {
 public:
  VexQelTrace(const char* name, const char* name2, const char* destination, int size,
              VexTraMode mode);
  ~VexQelTrace();
  VexQelTrace(const VexQelTrace&) = delete;
  VexQelTrace& operator=(const VexQelTrace&) = delete;

  bool IsActive() const { return _active; }

  // Inline so that a channel that is off costs one test per call.
  template <typename T>
  VexQelTrace& operator<<(const T& item) {
    if (_active) write(item);
    return *this;
  }

  // Whether a channel of this name is switched on by `list` (the value of
  // VEX_TRACE); exposed for tests.
  static bool IsListed(const std::string& list, const std::string& name);
  // Whether any channel of the program is on: work that would reorder trace
  // lines (reading files side by side) is done only when none is.
  static bool AnyActive() { return activeCount() > 0; }
  // Switches every channel on or off by `list` (as VEX_TRACE would; null
  // switches all off), or by VEX_TRACE as it is now: runs in one process
  // may each have their own settings.
  static void Configure(const char* list);
  static void ReadSettings();

 private:
  static void write(int n);
  static void write(long n);
  static void write(const char* text);
  static void write(const void* address);
  static void write(const VexUnicodeString& text);
  static void write(std::string_view text);

  static int& activeCount();
  static std::vector<VexQelTrace*>& channels();

  std::string _name;
  bool _active;
};
