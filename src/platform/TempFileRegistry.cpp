#include "platform/TempFileRegistry.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>

namespace {

// Enough for every thread of a run that writes several sites at once.
constexpr int kSlots = 128;
constexpr size_t kPathSize = 4096;

// A slot is claimed before its path is written and published once the path
// is whole, so neither another thread nor the handler reads a half-written
// path. Lock-free atomics are safe in a signal handler; a mutex is not.
enum SlotState : int { kFree = 0, kFilling = 1, kHeld = 2 };

char gPaths[kSlots][kPathSize];
std::atomic<int> gState[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void unlinkAndDie(int signal) {
  for (int i = 0; i < kSlots; ++i) {
    if (gState[i].load() == kHeld) ::unlink(gPaths[i]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void TempFileRegistry::installHandlers() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    action.sa_handler = unlinkAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

int TempFileRegistry::add(const char* path) {
  size_t length = std::strlen(path);
  if (length >= kPathSize) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!gState[i].compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(gPaths[i], path, length + 1);
    gState[i].store(kHeld);
    return i;
  }
  return -1;
}

void TempFileRegistry::remove(int slot) {
  if (slot >= 0 && slot < kSlots) gState[slot].store(kFree);
}
