#include "platform/TempFileRegistry.h"

#include <unistd.h>

#include <csignal>
#include <cstring>
#include <initializer_list>

namespace {

constexpr int kSlots = 4;
constexpr size_t kPathSize = 4096;

char gPaths[kSlots][kPathSize];
volatile sig_atomic_t gUsed[kSlots];

extern "C" void unlinkAndDie(int signal) {
  for (int i = 0; i < kSlots; ++i) {
    if (gUsed[i]) ::unlink(gPaths[i]);
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

bool TempFileRegistry::add(const char* path) {
  size_t length = std::strlen(path);
  if (length >= kPathSize) return false;
  for (int i = 0; i < kSlots; ++i) {
    if (gUsed[i]) continue;
    std::memcpy(gPaths[i], path, length + 1);
    gUsed[i] = 1;
    return true;
  }
  return false;
}

void TempFileRegistry::remove(const char* path) {
  for (int i = 0; i < kSlots; ++i) {
    if (gUsed[i] && std::strcmp(gPaths[i], path) == 0) gUsed[i] = 0;
  }
}
