#pragma once

#include "framework/VexUnicodeString.h"
#include "tree/CloneMode.h"

// What the merge does with a node: add it with its subtree, keep it alone
// and merge its children, or leave it out. The codes are the program's
// fixed interface.
inline constexpr int gnActionADD = 0;
inline constexpr int gnActionKEEP = 1;
inline constexpr int gnActionIGNORE = 2;

// Everything one action means, in one place: its code, the code a rule
// names to choose it (an addition reads as a KEEP), how the node is copied
// when the action is carried out, and its words in a trace and in a report.
struct MergeAction {
  int code;
  int ruleCode;
  CloneMode cloneMode;
  const VexUnicodeString& traceWord;
  const char* word;

  static const MergeAction kAdd;
  static const MergeAction kKeep;
  static const MergeAction kIgnore;
};
