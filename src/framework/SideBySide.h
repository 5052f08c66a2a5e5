#pragma once

#include <thread>
#include <utility>

#include "framework/CoresTaken.h"
#include "framework/VexQelTrace.h"

// Runs `other` on a second core while `main` runs on this one, and returns
// when both are done. On one core, on a thread whose cores are taken, or
// while a trace channel is active (its lines go out as they are written,
// and two threads would mix them), the two run one after the other,
// `other` first. Both must only read what
// they share.
template <class Main, class Other>
void runSideBySide(Main&& main, Other&& other) {
  if (VexQelTrace::AnyActive() || CoresTaken::here() || std::thread::hardware_concurrency() < 2) {
    other();
    main();
    return;
  }
  std::thread helper(std::forward<Other>(other));
  main();
  helper.join();
}
