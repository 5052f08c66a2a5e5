#include "qelmask/fleet/SitePool.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "framework/CoresTaken.h"

void SitePool::run(size_t count, int threads, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  auto take = [&] {
    // With more than one thread, the cores are taken.
    std::optional<CoresTaken> taken;
    if (threads > 1) taken.emplace();
    for (size_t i = next++; i < count; i = next++) work(i);
  };
  size_t helpers = std::min(count, static_cast<size_t>(std::max(threads, 1))) - (count > 0 ? 1 : 0);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  for (size_t i = 0; i < helpers; ++i) pool.emplace_back(take);
  take();
  for (std::thread& thread : pool) thread.join();
}
