#pragma once

// The console face of the tool: the banner that opens a run, the line that
// closes it, the usage text, error reports and the final clean-up.

// The usage text and the error reports are printed by the mask file reader
// too, which sits below the program: they are declared there, and seen
// through this header by the program's own callers.
#include "maskfile/ErrorReport.h"

void SayHello();
void SayBye();
// Releases the rule list; returns `status` unchanged.
int cleanUp(int status);
