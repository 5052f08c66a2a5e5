#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "qelmask/fleet/SitePool.h"

TEST(SitePool, EverySiteRunsOnceWhateverTheThreads) {
  for (int threads : {1, 2, 3, 8}) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{5}, size_t{200}}) {
      std::vector<std::atomic<int>> runs(count);
      SitePool::run(count, threads, [&](size_t i) { ++runs[i]; });
      for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(runs[i].load(), 1) << "site " << i << " of " << count << ", " << threads;
      }
    }
  }
}
