#pragma once

#include <vector>

#include "framework/VexTypes.h"

// A collection of untyped pointers, indexed from 1. It owns nothing: whoever
// stores a pointer deletes the object.
class VexRawCollPV {
 public:
  using Compare = int (*)(const void*, const void*);

  explicit VexRawCollPV(int = 0) {}

  void Append(void* p) { _items.push_back(p); }
  int Size() const { return static_cast<int>(_items.size()); }
  void*& operator[](int i) { return _items[i - 1]; }
  void* operator[](int i) const { return _items[i - 1]; }
  // Removes the first slot holding `p`; the object itself is untouched.
  void RemoveValue(void* p);
  // Removes the last slot, at no cost whatever the size.
  void RemoveLast() {
    if (!_items.empty()) _items.pop_back();
  }
  void RemoveAll(VexCollec::MemoryHandling) { _items.clear(); }
  // Stable: elements that compare equal keep their relative order, so the
  // same input always sorts the same way.
  void QuickSort(Compare compare);

 private:
  std::vector<void*> _items;
};
