#pragma once

// The error reports the merger prints on standard output, and the usage text
// that may close them. They live with the mask files because the file reader
// and writer report their own failures in these words; the console of the
// program (app/Console.h) prints the same ones.

// Prints the usage text; the argument is not used.
int usage(int);
// Prints "ERROR: " and the catalog text of `key`, the messages of the
// message stack, and the usage text when `withUsage` is non-zero. Returns
// `code` unchanged.
int RaiseError(int code, const char* key, int withUsage);
