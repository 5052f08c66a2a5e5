#pragma once

#include "framework/VexUnicodeString.h"
#include "tree/MergerObj.h"

// A position in the children of one of the three nodes being merged. The
// position counter is the caller's: it stays at the last child taken.
class MergeCursor {
 public:
  // `parent` may be null: an absent node has no children to walk.
  MergeCursor(const MergerObj* parent, int& position);

  const MergerObj* parent() const { return _parent; }
  const MergerObj* current() const { return _current; }
  // The texts of the current child, taken out once per child; null when
  // there is none.
  const NodeText::Parts* text() const { return _current ? &_text : nullptr; }
  int position() const { return _position; }

  // Takes the next child; false (and no current child) when the list has
  // run out.
  bool next();
  // The identifier of the current child, or "<NONE>"; built on first use
  // only, since it is needed just for traces and decision records.
  const VexUnicodeString& id();

 private:
  const MergerObj* _parent;
  int& _position;
  int _count;
  const MergerObj* _current;
  NodeText::Parts _text;
  VexUnicodeString _id;
  bool _idKnown;
};
