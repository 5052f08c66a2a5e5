// One input as a whole run: its first byte chooses the options (the rule
// file, -reorder and the trace channels), and the rest is cut at lines
// "%%" into the three masks and the rule file, served from memory.
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "app/MergerRun.h"
#include "framework/FileStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = (fuzz::silenceConsole(), true);
  (void)quiet;
  if (size == 0) return 0;
  const uint8_t options = data[0];
  std::vector<std::string> parts = fuzz::carve(fuzz::text(data + 1, size - 1), 4);

  MemoryFileStore files;
  files.files["ref.msk"] = parts[0];
  files.files["new.msk"] = parts[1];
  files.files["custo.msk"] = parts[2];
  files.files["rules.txt"] = parts[3];
  FileStore* disk = FileStore::install(&files);

  static const char* const kTraces[] = {"", "Main", "MergerRule", "*"};
  setenv("VEX_TRACE", kTraces[(options >> 2) & 3], 1);
  std::vector<const char*> args = {"QELPeopleMaskMerger", "ref.msk", "new.msk", "custo.msk",
                                   "out.msk"};
  if (options & 1) args.insert(args.end(), {"-rule", "rules.txt"});
  if (options & 2) args.push_back("-reorder");
  runMerger(static_cast<int>(args.size()), const_cast<char**>(args.data()));

  unsetenv("VEX_TRACE");
  FileStore::install(disk);
  return 0;
}
