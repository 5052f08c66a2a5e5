#pragma once

#include <vector>

#include "framework/VexListValVexUnicodeString.h"
#include "framework/VexRawCollPV.h"
#include "framework/VexUnicodeString.h"

// A node of every tree of the tool: a type, a name and a value, a parent,
// owned children in the order they were added, and optional comment lines.
// A node is attached to its parent when it is built and never moves;
// destroying a node destroys its whole subtree.
class MergerNode {
 public:
  MergerNode();
  // Builds the node and hands it to `parent->add` (when not null), so the
  // new node ends up last among its siblings.
  MergerNode(MergerNode* parent, const VexUnicodeString& type, const VexUnicodeString& name,
             const VexUnicodeString& value);
  virtual ~MergerNode();
  MergerNode(const MergerNode&) = delete;
  MergerNode& operator=(const MergerNode&) = delete;

  // Appends `child` to the children (a null child is ignored); the child's
  // parent pointer is not touched.
  virtual void add(MergerNode* child);

  // The first direct child with exactly this type and name, or null.
  MergerNode* getNode(const VexUnicodeString& type, const VexUnicodeString& name) const;

  MergerNode* getParent() const { return _pParent; }
  const VexUnicodeString& getType() const { return _sType; }
  const VexUnicodeString& getName() const { return _sName; }
  const VexUnicodeString& getValue() const { return _sValue; }

  int getChildCount() const { return _lChildren.Size(); }
  // The i-th child (from 1); may be null.
  MergerNode* getChild(int i) const { return static_cast<MergerNode*>(_lChildren[i]); }

  // Appends the lines of `comments`; an empty list leaves the node without a
  // comment list at all.
  void addComments(const VexListValVexUnicodeString& comments);
  VexListValVexUnicodeString* getComments() const { return _pComments; }

  // Orders a and b by type, then name (byte order; a null node first): -1, 0
  // or 1. With `wildcard` set, a name of a starting with "*" equals any name
  // of b, and the comparison of two nodes of one type is traced on "Main".
  static int compareNode(const MergerNode* a, const MergerNode* b, int wildcard);

 private:
  // Moves the children onto `pending`, last first, leaving none.
  void takeChildren(std::vector<MergerNode*>& pending);

 protected:
  MergerNode* _pParent;
  VexRawCollPV _lChildren;
  VexUnicodeString _sType;
  VexUnicodeString _sName;
  VexUnicodeString _sValue;
  VexListValVexUnicodeString* _pComments;
};
