#include "framework/VexRawCollPV.h"

#include <algorithm>

void VexRawCollPV::RemoveValue(void* p) {
  auto at = std::find(_items.begin(), _items.end(), p);
  if (at != _items.end()) _items.erase(at);
}

void VexRawCollPV::QuickSort(Compare compare) {
  std::stable_sort(_items.begin(), _items.end(),
                   [compare](const void* a, const void* b) { return compare(a, b) < 0; });
}
