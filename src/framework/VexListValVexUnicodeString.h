#pragma once

#include <vector>

#include "framework/VexTypes.h"
#include "framework/VexUnicodeString.h"

// A list of strings, indexed from 1.
class VexListValVexUnicodeString {
 public:
  void Append(const VexUnicodeString& s) { _items.push_back(s); }
  void Append(const VexListValVexUnicodeString& other) {
    _items.insert(_items.end(), other._items.begin(), other._items.end());
  }
  int Size() const { return static_cast<int>(_items.size()); }
  const VexUnicodeString& operator[](int i) const { return _items[i - 1]; }
  void RemoveAll(VexCollec::MemoryHandling) { _items.clear(); }

 private:
  std::vector<VexUnicodeString> _items;
};
