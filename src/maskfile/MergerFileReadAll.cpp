#include <algorithm>
#include <atomic>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

#include "framework/VexQelTrace.h"
#include "maskfile/MergerFile.h"

namespace {

// One file to read beside the others: its bytes, what its reading prints
// (held until the files before it have been reported), and whether its
// lines are in (its sort waits for that).
struct Reading {
  std::string bytes;
  std::ostringstream console;
  std::atomic<bool> parsed{false};
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

  // The steps are taken in this order by whichever thread is free: every
  // parse first, then every sort, so that three files keep two threads
  // busy to the end.
  std::atomic<int> nextStep{0};
  auto work = [&]() {
    for (int step = nextStep++; step < 2 * loaded; step = nextStep++) {
      Reading& reading = readings[step % loaded];
      MergerFile& file = *files[step % loaded];
      if (step < loaded) {
        file.setConsole(reading.console);
        file.parse(std::move(reading.bytes));
        file.setConsole(std::cout);
        reading.parsed = true;
        reading.parsed.notify_all();
      } else {
        reading.parsed.wait(false);
        file.sort(0);
      }
    }
  };
  unsigned helpers = std::min(std::max(std::thread::hardware_concurrency(), 1u), 3u) - 1;
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < helpers && static_cast<int>(t) + 1 < loaded; ++t)
    threads.emplace_back(work);
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
