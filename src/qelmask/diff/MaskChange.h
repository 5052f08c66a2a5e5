#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class MergerObj;

// One difference between two mask files A and B, as `qelmask diff` tells it.
// It points into the trees of both files, which must outlive it: texts are
// only composed when the change is written, since a large diff would
// otherwise hold a copy of every identifier.
struct MaskChange {
  enum class Sign : char { kAdded = '+', kRemoved = '-', kChanged = '~' };
  enum class What : char {
    kNode,     // a node (with everything below it) of one file only
    kValue,    // a node of both files whose value differs
    kOrder,    // an ordered node whose children keep another order
    kComment,  // a comment line on a node of both files, in one file only
  };

  Sign sign;
  What what;
  const MergerObj* before;  // A's node: null for a node of B only
  const MergerObj* after;   // B's node: null for a node of A only
  size_t below = 0;         // the nodes below a node of one file only
  int comment = 0;          // the comment's place (from 1) in its node's list

  // The node the change is told on: A's when there is one.
  const MergerObj* node() const { return before ? before : after; }
  // The name of the mask the node belongs to.
  std::string_view mask() const;
  // The node's identifier below its mask, with its value ("" for a mask).
  std::string identifier() const;
  // The same without the node's own value.
  std::string path() const;
  // The comment's text (a carriage return at its end left out).
  std::string_view commentText() const;
  // The kind of the node in the user's words: "entity", "access line"...
  std::string_view kind() const;
};
