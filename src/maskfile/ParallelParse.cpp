#include "maskfile/ParallelParse.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "framework/CoresTaken.h"
#include "framework/VexQelTrace.h"
#include "maskfile/MergerFile.h"

void parseAndSortSideBySide(MergerFile* const* files, std::string* bytes, int count) {
  unsigned cores = VexQelTrace::AnyActive() || CoresTaken::here()
                       ? 1
                       : std::max(std::thread::hardware_concurrency(), 1u);
  if (cores == 1) {
    // One file after the other, as a trace tells them.
    for (int i = 0; i < count; ++i) {
      files[i]->parse(std::move(bytes[i]));
      files[i]->sort(0);
    }
    return;
  }
  // The steps are taken in this order by whichever thread is free: every
  // parse first, then every sort, so that three files keep two threads
  // busy to the end. A sort waits for its file's parse.
  auto parsed = std::make_unique<std::atomic<bool>[]>(static_cast<size_t>(count));
  std::atomic<int> nextStep{0};
  auto work = [&]() {
    for (int step = nextStep++; step < 2 * count; step = nextStep++) {
      int i = step % count;
      if (step < count) {
        files[i]->parse(std::move(bytes[i]));
        parsed[i] = true;
        parsed[i].notify_all();
      } else {
        parsed[i].wait(false);
        files[i]->sort(0);
      }
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < std::min(cores, 3u) && static_cast<int>(t) < count; ++t)
    helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
}
