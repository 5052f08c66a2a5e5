#include <iostream>
#include <sstream>
#include <vector>

#include "framework/VexQelTrace.h"
#include "maskfile/MergerFile.h"
#include "maskfile/ParallelParse.h"

int MergerFile::readAll(const VexUnicodeString* names, MergerFile* const* files, int count) {
  int loaded = 0;
  std::vector<std::string> bytes(static_cast<size_t>(count));
  // Side by side only while nothing is traced, since trace lines go out as
  // they are written. The files are opened in order and the first one that
  // cannot be is left to `read`, which reports it as usual: no file after
  // it is touched.
  if (!VexQelTrace::AnyActive()) {
    for (; loaded < count; ++loaded) {
      TamLunFileIn file;
      if (!openQuietly(names[loaded], file)) break;
      bytes[loaded] = file.takeContent();
    }
  }
  // What each reading prints is held until the files before it have been
  // reported.
  std::vector<std::ostringstream> consoles(static_cast<size_t>(loaded));
  for (int i = 0; i < loaded; ++i) files[i]->setConsole(consoles[i]);
  parseAndSortSideBySide(files, bytes.data(), loaded);
  for (int i = 0; i < loaded; ++i) {
    files[i]->setConsole(std::cout);
    std::cout << "Reading: " << names[i] << "\n";
    std::cout.flush();
    std::cout << consoles[i].str();
    files[i]->reportLineCount();
  }
  for (int i = loaded; i < count; ++i) {
    if (int status = files[i]->read(names[i])) return status;
  }
  return 0;
}
