#pragma once

#include "framework/VexUnicodeString.h"

// Process-wide scratch strings of the rule file loading: the line just
// read and its first character.
extern VexUnicodeString aLine;
extern VexUnicodeString gWord;
