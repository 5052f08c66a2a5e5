#pragma once

// How `MergerObj::clone` copies a node: alone, alone and inactive (a place
// for a decision record only, never written as a line), or with its whole
// subtree. The values are the modes the clone function takes.
enum CloneMode : int {
  kCloneAlone = 0,
  kCloneWithSubtree = 1,
  kCloneRecordOnly = 99,
};
