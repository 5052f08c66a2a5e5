#pragma once

#include <string>
#include <vector>

// What the command line of qelmask asks for, whichever the subcommand:
// each subcommand reads the fields it defines.
struct CommandOptions {
  std::string ref, neu, custo, rules;  // the inputs of merge and check
  // merge, report: several sites' masks (--custo A B...), or a folder of them
  std::vector<std::string> sites;
  std::string sitesDir;
  std::string outputDir;             // merge: where each site's merged mask goes
  int jobs = 0;                      // merge, report over sites: threads (0: one per core)
  std::vector<std::string> combine;  // report: fleet reports to combine
  std::string merged;                // the input of strip
  std::vector<std::string> masks;    // check: masks checked on their own
  std::string output;
  std::string sortedCusto;  // merge: where the customer mask goes, sorted ("" none)
  std::string html, json;   // report: the page and the data ("" none)
  bool force = false;
  bool quiet = false;
  bool legacyLayout = false;  // merge: the merger's bytes
  bool all = false;           // check: lists in full
  bool allowSwap = false;     // merge, report, access: --ref and --new taken as given
  std::string failOn;         // merge, check: the kinds of findings that make the status 1
  std::string
      decisions;  // merge, check, report, access: recorded choices; decide: the earlier file
  // decide:
  std::string report;              // the report's JSON
  std::string take;                // "alternative" or "recommendation"
  std::vector<std::string> named;  // the questions, by number or MASK:IDENTIFIER
  bool withSubtree = false;
  std::string rulesOutput;  // "" none
  // diff, lines:
  std::vector<std::string> compared;  // diff: A and B; lines: the mask
  bool stat = false;                  // diff: counts instead of lines
  bool comments = false;              // diff: comments count as nodes
  // git-merge (git's %O %A %B %P), git-setup:
  std::vector<std::string> gitFiles;
  std::string vendor = "theirs";  // the side of the vendor's DEFAULT masks
  bool clean = false;             // git-merge: every merge is clean
  bool global = false;            // git-setup: the user's configuration
  std::string program;            // how qelmask was run (argv[0])

  // Whether a merge or report is over several sites (even one, given so).
  bool overSites() const { return sites.size() > 1 || !sitesDir.empty() || !outputDir.empty(); }
};
