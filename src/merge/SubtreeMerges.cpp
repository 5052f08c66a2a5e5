#include "merge/SubtreeMerges.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "merge/ThreeWayWalk.h"
#include "tree/MaskStorage.h"

void SubtreeMerges::run(MaskStorage& result, unsigned threads) {
  // A thread pays for itself only over many subtrees. Each takes them in
  // runs of neighbours: the nodes they are merged into lie side by side,
  // and two threads writing to one cache line would slow each other down.
  constexpr size_t kSubtreesPerThread = 256;
  constexpr size_t kRun = 64;
  size_t useful = _subtrees.size() / kSubtreesPerThread + 1;
  threads = static_cast<unsigned>(std::clamp<size_t>(threads, 1, useful));
  std::vector<std::shared_ptr<MaskStorage>> storages;
  for (unsigned t = 0; t < threads; ++t) {
    storages.push_back(MaskStorage::create());
    result.retain(storages.back().get());
  }
  std::atomic<size_t> next{0};
  std::mutex failureLock;
  std::exception_ptr failure;
  auto work = [&](unsigned thread) {
    MaskStorage::CarveHere here(*storages[thread]);
    try {
      for (size_t first = next.fetch_add(kRun); first < _subtrees.size();
           first = next.fetch_add(kRun)) {
        size_t end = std::min(first + kRun, _subtrees.size());
        for (size_t i = first; i < end; ++i) {
          const Subtree& subtree = _subtrees[i];
          ThreeWayWalk::mergeBelow(subtree.ref, subtree.neu, subtree.custo, subtree.into);
        }
      }
    } catch (...) {
      // Out of memory, most likely: the others stop, and the first
      // failure goes on as if there had been one thread.
      std::lock_guard<std::mutex> hold(failureLock);
      if (!failure) failure = std::current_exception();
      next = _subtrees.size();
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(work, t);
  work(0);
  for (std::thread& helper : helpers) helper.join();
  _subtrees.clear();
  if (failure) std::rethrow_exception(failure);
}
