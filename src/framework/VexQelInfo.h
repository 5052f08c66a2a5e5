#pragma once

#include <vector>

#include "framework/VexUnicodeString.h"

// One catalog message, and the process-wide stack of raised messages. The
// text of a message comes from its catalog by key; an unknown key reads as
// the key itself.
class VexQelInfo {
 public:
  void Init(const char* catalog, const char* key, long status, const char* parameter, int number);
  VexUnicodeString GetMessage() const;

  static int Size();
  // Copies the i-th stacked message (from 1) into `info`.
  static void GetInfo(VexQelInfo& info, int i);
  // Init does not stack a message; these two keep the stack for callers that
  // want one (and for tests).
  static void Push(const VexQelInfo& info);
  static void Clear();

 private:
  VexUnicodeString _catalog;
  VexUnicodeString _key;
  VexUnicodeString _parameter;
  long _status = 0;
  int _number = 0;

  static std::vector<VexQelInfo>& stack();
};
