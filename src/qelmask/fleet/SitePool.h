#pragma once

#include <cstddef>
#include <functional>

// Runs the sites of a run on a few threads: each takes the next site not
// yet started, so a long site does not hold the others back. Sites are
// independent; what they share they only read.
namespace SitePool {
// Calls `work(i)` once for each i below `count`, on up to `threads` threads
// (this one among them), and returns when every call has.
void run(size_t count, int threads, const std::function<void(size_t)>& work);
}  // namespace SitePool
