#pragma once

// Makes large allocations (a file read whole, a long list) go back to the
// system as soon as they are freed. By default the C library raises its
// threshold for that after the first such free, and keeps the next blocks
// of about that size in the process: a run that frees its files once read
// and then grows its trees would carry them into its peak for nothing.
void returnLargeAllocationsToTheSystem();
