#pragma once

#include <iosfwd>

// The command line of qelmask: its subcommands and options (with --help on
// each and --version), usage errors in qelmask's style with status 2, and
// the run of the subcommand asked for.
namespace CommandLine {
int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
}  // namespace CommandLine
