#include "platform/LargeAllocations.h"

#include <malloc.h>

void returnLargeAllocationsToTheSystem() {
  // The C library's default threshold, fixed: setting it turns its
  // adjustment off.
  constexpr int kThreshold = 128 * 1024;
  mallopt(M_MMAP_THRESHOLD, kThreshold);
}
