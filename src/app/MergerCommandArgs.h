#pragma once

#include "framework/VexUnicodeString.h"

// Placeholders of a merge command template, and a template of a program
// name, an option and the two placeholders (kept for callers that launch an
// external merge command; the tool itself does not).
extern const VexUnicodeString gsMergerCmdArg1;
extern const VexUnicodeString gsMergerCmdArg2;
extern const VexUnicodeString gsMergerDefaultCmd;

// Replaces "%1" and "%2" in `command` (in place) by `arg1` and `arg2`, then
// returns through `argv` a newly allocated, null-terminated array of its
// blank-separated words. 0, or the code of the error reported: 5 when the
// template has fewer than three words, 6 when a placeholder is missing.
int getMergerCommandArgs(VexUnicodeString& command, const VexUnicodeString& arg1,
                         const VexUnicodeString& arg2, char**& argv);
// Frees an array made by getMergerCommandArgs and sets `argv` to null.
void freeMergerCommandArgs(char**& argv);
