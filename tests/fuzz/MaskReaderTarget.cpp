// Any bytes as a mask file: read, sorted and written back (to memory) in
// both layouts; and scanned for the lines of doubtful owner that an earlier
// merge's output may hold.
#include <sstream>

#include "FuzzSupport.h"
#include "maskfile/MergerFile.h"
#include "qelmask/summary/MovedLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (fuzz::silenceConsole(), true);
  (void)quiet;
  std::string bytes = fuzz::text(data, size);
  MovedLines::find(bytes);
  std::ostringstream warnings;
  MergerFile file(1);
  file.setConsole(warnings);
  file.parse(std::move(bytes));
  file.sort(0);
  std::ostringstream written, readBack;
  file.writeTo(written);
  WriteNotes notes;
  file.writeTo(readBack, MaskLayout::kReadBack, &notes);
  return 0;
}
