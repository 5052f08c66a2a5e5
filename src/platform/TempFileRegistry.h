#pragma once

// The temporary files of a run, kept where a signal handler can reach them:
// on SIGINT, SIGTERM or SIGHUP each one still registered is unlinked before
// the process dies of the signal, so an interrupted run leaves no partial
// file behind. The paths live in static buffers, since a handler may only
// call functions that are safe in a signal handler (unlink, raise).
namespace TempFileRegistry {
// Installs the handlers (once is enough; again does no harm).
void installHandlers();
// Registers a path: false when no slot is free or the path is too long.
bool add(const char* path);
// Forgets a path (after it was renamed or removed).
void remove(const char* path);
}  // namespace TempFileRegistry
