#include "platform/LargeAllocations.h"

#include <malloc.h>

void returnLargeAllocationsToTheSystem() {
  // The C library's default threshold, fixed: setting it turns its
  // adjustment off.
  constexpr int kThreshold = 128 * 1024;
  mallopt(M_MMAP_THRESHOLD, kThreshold);
}

void keepLargeAllocationsInHeaps() {
  // The highest threshold the C library takes on a 64-bit system.
  constexpr int kThreshold = 32 * 1024 * 1024;
  mallopt(M_MMAP_THRESHOLD, kThreshold);
}

void returnFreeHeapPages() { malloc_trim(0); }
