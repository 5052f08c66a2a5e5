// Any bytes as a mask file: read, sorted and written back (to memory).
#include <sstream>

#include "FuzzSupport.h"
#include "maskfile/MergerFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (fuzz::silenceConsole(), true);
  (void)quiet;
  std::ostringstream warnings;
  MergerFile file(1);
  file.setConsole(warnings);
  file.parse(fuzz::text(data, size));
  file.sort(0);
  std::ostringstream written;
  file.writeTo(written);
  return 0;
}
