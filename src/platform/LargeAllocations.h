#pragma once

// Makes large allocations (a file read whole, a long list) go back to the
// system as soon as they are freed. By default the C library raises its
// threshold for that after the first such free, and keeps the next blocks
// of about that size in the process: a run that frees its files once read
// and then grows its trees would carry them into its peak for nothing.
void returnLargeAllocationsToTheSystem();

// For a run that merges one site after another on several threads: large
// blocks come from the C library's heaps instead of each from the system,
// whose unmapping of a block makes every core drop its address cache.
void keepLargeAllocationsInHeaps();
// Gives the free pages inside those heaps back to the system: between two
// sites, so that the peak stays that of the sites at work.
void returnFreeHeapPages();
