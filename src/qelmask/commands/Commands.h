#pragma once

#include "qelmask/commands/CommandOptions.h"
#include "qelmask/output/Diagnostics.h"

// The commands of qelmask, one source file each. Each reports its own
// errors through `diagnostics` and returns the exit status.
namespace Commands {
// `qelmask merge`: the merge of the merger, with its output checked before
// anything is read, written in full or not at all, and a summary.
int merge(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask check`: everything `merge` would report, and every line the
// reader leaves out of the inputs, without writing anything. Its status
// says whether there was anything to report.
int check(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask report`: the merge of `merge`, run in memory (no mask is
// written), with every decision in a page the administrator can filter
// (--html) and in JSON for scripts (--json), and merge's summary.
int report(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask strip`: a reviewed merged mask without its review records, for
// deployment.
int strip(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask access`: the merge of `merge`, run in memory, and every access
// line whose flag it changes, per mask, owner and operation, with its cause:
// an aligned table on standard output, and JSON for scripts (--json).
int access(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask decide`: a decisions file from a report's JSON, with the option
// taken for each question named, and the rules that come closest.
int decide(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask diff`: the structural difference of two masks, one line per
// change in tree order (or counts, --stat); status 0 none, 1 some.
int diff(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask lines`: a mask as one line per node, path and value, in tree
// order: the text git's own diff compares (textconv).
int lines(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask git-merge`: the merge driver git runs on a mask; the merged mask
// replaces the current branch's file.
int gitMerge(const CommandOptions& options, Diagnostics& diagnostics);
// `qelmask git-setup`: the configuration and attributes that make git use
// the two above for masks.
int gitSetup(const CommandOptions& options, Diagnostics& diagnostics);
}  // namespace Commands
