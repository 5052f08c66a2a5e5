#pragma once

#include "framework/VexUnicodeString.h"

// Why a line of the rule file was not made a rule, and the text at fault:
// the keyword (upper-cased) or the path element.
struct RuleProblem {
  enum Kind {
    kNone,        // the line is a rule
    kEmpty,       // nothing on the line
    kAction,      // the first word is not KEEP or IGNORE
    kActionNode,  // the second word is not NEW or CUSTO
    kElement,     // a path element lacks its "::", its type or its name
    kNoPath,      // no path at all (or one that starts with a single "/")
  };
  Kind kind = kNone;
  VexUnicodeString text;
};
