#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "framework/VexListValVexUnicodeString.h"
#include "framework/VexUnicodeString.h"
#include "tree/NodeText.h"

class MaskStorage;
struct NodeComments;
struct NodeExtras;

// A node of every tree of the tool: a type, a name and a value, a parent,
// owned children in the order they were added, and optional comment lines.
// A node is attached to its parent when it is built and never moves;
// destroying a node destroys its whole subtree.
//
// A node lives either on its own (made with `new`, as rule paths are) or in
// a MaskStorage (as the nodes of mask files and of the merge are), which
// owns it together with the rest of its tree. The node is kept small: its
// three texts are one packed block, and what few nodes have (comments,
// decision records) is kept beside it.
class MergerNode {
 public:
  MergerNode();
  // Builds the node and hands it to `parent->add` (when not null), so the
  // new node ends up last among its siblings.
  MergerNode(MergerNode* parent, const VexUnicodeString& type, const VexUnicodeString& name,
             const VexUnicodeString& value);
  // The same with the texts given as views.
  MergerNode(MergerNode* parent, NodeText::Parts texts);
  virtual ~MergerNode();
  MergerNode(const MergerNode&) = delete;
  MergerNode& operator=(const MergerNode&) = delete;

  // Appends `child` to the children (a null child is ignored); the child's
  // parent pointer is not touched.
  virtual void add(MergerNode* child);

  // The first direct child with exactly this type and name, or null.
  MergerNode* getNode(const VexUnicodeString& type, const VexUnicodeString& name) const;
  MergerNode* findChild(std::string_view type, std::string_view name) const;

  MergerNode* getParent() const { return _pParent; }
  // getType and getValue are kept for the fixed interface (checked in tests/tree, tests/rules).
  VexUnicodeString getType() const { return VexUnicodeString(type()); }
  VexUnicodeString getName() const { return VexUnicodeString(name()); }
  VexUnicodeString getValue() const { return VexUnicodeString(value()); }
  // The texts as views, valid as long as the node.
  NodeText::Parts text() const { return NodeText::decode(_pText); }
  std::string_view type() const { return text().type; }
  std::string_view name() const { return text().name; }
  std::string_view value() const { return text().value; }

  // The number of children (capped at the largest int; no tree comes near).
  int getChildCount() const;
  size_t childCount() const { return _nChildren; }
  // The i-th child (from 1); may be null.
  MergerNode* getChild(int i) const { return _pChildren[i - 1]; }

  // Appends the lines of `comments`; an empty list leaves the node without a
  // comment list at all.
  void addComments(const VexListValVexUnicodeString& comments);
  // The same, taking the lines over (`comments` is left empty).
  void takeComments(VexListValVexUnicodeString& comments);
  // The same for a reader, with the line of each comment in its file
  // (`lines` is left empty too).
  void takeComments(VexListValVexUnicodeString& comments, std::vector<long>& lines);
  VexListValVexUnicodeString* getComments() const;
  // Gives this node (a node of a storage that keeps the storage of
  // `source` alive) the comments of `source`, read where they are rather
  // than copied: a merged tree repeats the comments of the trees it copies.
  void shareComments(const MergerNode& source);
  // The file line of each comment, as a watched reader gave them; empty on
  // a copy.
  std::span<const long> getCommentLines() const;

  // Orders a and b by type, then name (byte order; a null node first): -1, 0
  // or 1. With `wildcard` set, a name of a starting with "*" equals any name
  // of b, and the comparison of two nodes of one type is traced on "Main".
  static int compareNode(const MergerNode* a, const MergerNode* b, int wildcard);

  // Whether the node was carved from a MaskStorage.
  bool inStorage() const { return _nBits & kInStorage; }
  // Whether the children are known to be in order of type, then name: a
  // sort by type and name then has nothing to do. Any child appended makes
  // it unknown again.
  bool childrenInOrder() const { return _nBits & kChildrenInOrder; }
  void markChildrenInOrder() { _nBits |= kChildrenInOrder; }
  void forgetChildrenOrder() { _nBits &= ~kChildrenInOrder; }
  // Whether the node (an entity or an attribute) holds the properties of
  // its line itself, packed behind its text, instead of as children.
  bool hasOwnProperties() const { return _nBits & kOwnProperties; }
  // Leaves the properties packed behind the text unread: the node's
  // properties are its children again.
  void forgetOwnProperties() { _nBits &= ~kOwnProperties; }
  // Whether the two nodes share one packed text (one is a clone of the
  // other, or both of a third).
  bool sharesTextWith(const MergerNode& other) const { return _pText == other._pText; }

 protected:
  // A node carved from `storage`, whose packed `text` lives at least as
  // long as the storage. It is appended to `parent` (a node of the same
  // storage) when there is one.
  MergerNode(MaskStorage& storage, MergerNode* parent, const uint8_t* text);

  void appendChild(MergerNode* child) {
    if (_nChildren == childCapacity()) growChildren(_nChildren == 0 ? 1 : size_t{_nChildren} * 2);
    _pChildren[_nChildren++] = child;
    forgetChildrenOrder();
  }
  // Makes room for `count` children before the first is appended.
  void reserveChildren(size_t count);
  // The extras of this node, made on first use. They are kept beside the
  // node (by its storage, or for a node made with `new` in a table of the
  // program's), since few nodes have any.
  NodeExtras& extras();
  NodeComments& ownComments();
  NodeExtras* extrasIfAny() const;
  void markOwnProperties() { _nBits |= kOwnProperties; }
  // Packs the three texts for a node of `storage`, or of the heap when null.
  static const uint8_t* packText(MaskStorage* storage, std::string_view type, std::string_view name,
                                 std::string_view value);

  MergerNode* _pParent;
  MergerNode** _pChildren;
  const uint8_t* _pText;
  uint32_t _nChildren;
  // Which extras of its storage are the node's (from 1); for a node made
  // with `new`, 1 when it has any. 0: none.
  uint32_t _nExtras;

 private:
  enum Bits : uint8_t { kInStorage = 1, kChildrenInOrder = 2, kOwnProperties = 4 };

  // Moves the children made with `new` onto `pending`, last first.
  void takeChildren(std::vector<MergerNode*>& pending);
  void releaseOwned();
  size_t childCapacity() const { return _nCapacityLog == kNoList ? 0 : size_t{1} << _nCapacityLog; }
  void growChildren(size_t capacity);

  static constexpr uint8_t kNoList = 0xff;
  uint8_t _nBits;
  // The capacity of the children list, a power of two (its exponent).
  uint8_t _nCapacityLog;
};
