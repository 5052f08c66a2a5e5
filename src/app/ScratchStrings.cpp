#include "app/ScratchStrings.h"

VexUnicodeString aLine;
VexUnicodeString gWord;
