#pragma once

#include <string>

#include "framework/TamLunFileIn.h"
#include "framework/VexUnicodeString.h"

// Loads the rule file into the rule list: every line that is not empty and
// does not start with "#" becomes a rule, numbered by its line in the file.
// Returns -1 when the file could not be opened (already reported), else the
// number of rejected lines; every line is read even after a rejection, so
// that all bad lines are reported in one run.
long loadRuleFile(const VexUnicodeString& name, TamLunFileIn& file);
// The same for the bytes of a rule file already in memory.
long loadRules(std::string bytes);
