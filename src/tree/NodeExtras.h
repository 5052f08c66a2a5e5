#pragma once

#include <memory>
#include <vector>

#include "framework/VexListValVexUnicodeString.h"
#include "tree/DecisionRecord.h"

// The parts of a node that few nodes have, kept out of the node itself:
// its comment lines (and, on a node read from a file, the line of each in
// that file) and, on a node of the merged tree, the record of the question
// it was created by.
struct NodeExtras {
  std::unique_ptr<VexListValVexUnicodeString> comments;
  std::vector<long> commentLines;
  std::unique_ptr<DecisionRecord> record;
};
