#pragma once

#include <memory>

#include "framework/VexListValVexUnicodeString.h"
#include "tree/DecisionRecord.h"

// A node's comment lines and, on a node read from a file whose reading was
// watched, the line of each in that file (one per text; null otherwise).
struct NodeComments {
  VexListValVexUnicodeString texts;
  std::unique_ptr<long[]> lines;
};

// The parts of a node that few nodes have, kept out of the node itself:
// its comments (its own, or on a copy those of its source) and, on a node
// of the merged tree, the record of the question it was created by.
struct NodeExtras {
  std::unique_ptr<NodeComments> comments;
  // The comments of the node this one is a copy of, read where they are
  // (its storage outlives this node's) until this node's own change.
  const NodeComments* sharedComments = nullptr;
  std::unique_ptr<DecisionRecord> record;
};
