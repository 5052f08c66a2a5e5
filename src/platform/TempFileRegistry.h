#pragma once

// The temporary files of a run, kept where a signal handler can reach them:
// on SIGINT, SIGTERM or SIGHUP each one still registered is unlinked before
// the process dies of the signal, so an interrupted run leaves no partial
// file behind. The paths live in static buffers, since a handler may only
// call functions that are safe in a signal handler (unlink, raise).
namespace TempFileRegistry {
// Installs the handlers (once is enough; again does no harm).
void installHandlers();
// Registers a path: its slot, or -1 when no slot is free or the path is
// too long. Threads may register and forget paths at the same time.
int add(const char* path);
// Forgets the path of a slot `add` gave (after it was renamed or removed);
// -1 does nothing.
void remove(int slot);
}  // namespace TempFileRegistry
