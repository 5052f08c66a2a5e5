#pragma once

// The console face of the tool: the banner that opens a run, the line that
// closes it, the usage text, error reports and the final clean-up.

void SayHello();
void SayBye();
// Prints the usage text; the argument is not used.
int usage(int);
// Prints "ERROR: " and the catalog text of `key`, the messages of the
// message stack, and the usage text when `withUsage` is non-zero. Returns
// `code` unchanged.
int RaiseError(int code, const char* key, int withUsage);
// Releases the rule list; returns `status` unchanged.
int cleanUp(int status);
