#pragma once

// One whole run of the tool on an argument list (argv[0] is the program's
// name): banner, rule file, the three masks, the merge, the files written,
// the closing line. Returns the exit status. What a run sets up (the rule
// list, the trace settings) it leaves as it found it, so that runs may
// follow one another in one process: the executable's `main` is one call.
int runMerger(int argc, char** argv);
