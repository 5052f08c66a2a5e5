#include <algorithm>
#include <atomic>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

#include "framework/VexQelTrace.h"
#include "maskfile/MergerFile.h"

namespace {

// One file to read beside the others: its bytes, and what its reading
// prints, held until the files before it have been reported.
struct Reading {
  std::string bytes;
  std::ostringstream console;
};

}  // namespace

int MergerFile::readAll(const VexUnicodeString* names, MergerFile* const* files, int count) {
  int loaded = 0;
  std::vector<Reading> readings(static_cast<size_t>(count));
  // Side by side only while nothing is traced, since trace lines go out as
  // they are written. The files are opened in order and the first one that
  // cannot be is left to `read`, which reports it as usual: no file after
  // it is touched.
  if (!VexQelTrace::AnyActive()) {
    for (; loaded < count; ++loaded) {
      TamLunFileIn file;
      if (!openQuietly(names[loaded], file)) break;
      readings[loaded].bytes = file.takeContent();
    }
  }

  std::atomic<int> nextFile{0};
  auto work = [&]() {
    for (int i = nextFile++; i < loaded; i = nextFile++) {
      files[i]->setConsole(readings[i].console);
      files[i]->parse(std::move(readings[i].bytes));
      files[i]->sort(0);
      files[i]->setConsole(std::cout);
    }
  };
  unsigned helpers = std::min(std::max(std::thread::hardware_concurrency(), 1u), 3u) - 1;
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < helpers && static_cast<int>(t) + 1 < loaded; ++t) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();

  for (int i = 0; i < loaded; ++i) {
    std::cout << "Reading: " << names[i] << "\n";
    std::cout.flush();
    std::cout << readings[i].console.str();
    files[i]->reportLineCount();
  }
  for (int i = loaded; i < count; ++i) {
    if (int status = files[i]->read(names[i])) return status;
  }
  return 0;
}
