#pragma once

#include <string>
#include <vector>

// What the command line of qelmask asks for, whichever the subcommand:
// each subcommand reads the fields it defines.
struct CommandOptions {
  std::string ref, neu, custo, rules;  // the inputs of merge and check
  std::string merged;                  // the input of strip
  std::vector<std::string> masks;      // check: masks checked on their own
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
};
