#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "framework/TamLunFileOut.h"
#include "tree/DecisionRecord.h"
#include "tree/MergerNode.h"
#include "tree/OwnProperties.h"

class MergerRule;

// Words of the merge decisions, in the trace and in the review comments of
// the output: actions are six characters wide, origins eight.
extern const VexUnicodeString gsVisuRef;
extern const VexUnicodeString gsVisuNew;
extern const VexUnicodeString gsVisuCus;
extern const VexUnicodeString gsVisuADD;
extern const VexUnicodeString gsVisuKEEP;
extern const VexUnicodeString gsVisuIGNORE;

// A node of a mask tree: one line of a mask file, or a clone of one made by
// the merge. Its parent and children are mask nodes too. Owns its children;
// the tree's root (the mask) is owned by its MergerFile.
class MergerObj : public MergerNode {
 public:
  // Attaches the node to `parent` (when not null), active, with no merge
  // annotations. `ordered` is 'Y' for a node whose children keep their file
  // order when written (the "values" property).
  MergerObj(MergerObj* parent, long line, const VexUnicodeString& type,
            const VexUnicodeString& name, const VexUnicodeString& value, char ordered);
  ~MergerObj() override;

  void add(MergerNode* child) override;

  // A node carved from `storage` under `parent` (a node of that storage, or
  // null for a root), active, with no annotations.
  static MergerObj* create(MaskStorage& storage, MergerObj* parent, long line,
                           std::string_view type, std::string_view name, std::string_view value,
                           char ordered);
  // An entity or an attribute carved from `storage` under `parent` (may be
  // null) that holds the properties of its line itself (see OwnProperties).
  static MergerObj* createHolding(MaskStorage& storage, MergerObj* parent, long line,
                                  std::string_view type, std::string_view name,
                                  const OwnProperties::Values& values);
  // A stand-in for `source`, a node holding its own properties, for a
  // merge of some of them as nodes: carved from `storage`, with the texts,
  // line and parent of `source` (though no child of that parent), and as
  // children the properties whose bit is set in `which` (bit i for the
  // i-th), in order. `source` and its tree are left as they are: other
  // merges may be reading them.
  static MergerObj* standIn(MaskStorage& storage, const MergerObj* source, unsigned which);
  // An empty node under `parent` (a root when null), standing for no line.
  static MergerObj* createDummyNode(MergerObj* parent);
  // Copies `source` under `parent` (which takes ownership). Mode 0 copies the
  // node alone, 99 the node alone and inactive, any other mode the whole
  // subtree. A copy never takes the source's annotations or active flag.
  // Under a node of a storage the copy is carved from that storage and
  // shares the source's texts.
  static MergerObj* clone(const MergerObj* source, MergerObj* parent, int mode);
  // The same for a copy that starts a tree of `storage`.
  static MergerObj* cloneRoot(MaskStorage& storage, const MergerObj* source, int mode);

  // The properties the node holds itself; only for a node that
  // hasOwnProperties().
  OwnProperties::Values ownProperties() const { return OwnProperties::decodeAfter(_pText); }
  // How many it holds (0 for a node that holds none).
  size_t ownPropertyCount() const {
    return hasOwnProperties() ? OwnProperties::countFor(type()) : 0;
  }

  // The first direct child with this type and name, or null.
  MergerObj* find(const VexUnicodeString& type, const VexUnicodeString& name) const;
  MergerObj* findChild(std::string_view type, std::string_view name) const {
    return static_cast<MergerObj*>(MergerNode::findChild(type, name));
  }
  // Appends the identifier: the levels below the mask, each "type::name"
  // with "[value]" when it has one, joined by "/".
  void getId(VexUnicodeString& id) const;
  void appendId(std::string& out) const;
  // As getId, but without this node's own value.
  void xpath(VexUnicodeString& path) const;

  void setLine(long line);
  // Each records "<action> <origin> [<identifier>]".
  void setRecommandation(const VexUnicodeString& action, const VexUnicodeString& origin,
                         const VexUnicodeString& id);
  void setAlternative(const VexUnicodeString& action, const VexUnicodeString& origin,
                      const VexUnicodeString& id);
  // The same with the identifier of `node`, composed only when the record is
  // read. The words must outlive the record (the merge's own words do).
  void setRecommandation(const VexUnicodeString* action, const VexUnicodeString* origin,
                         const MergerObj* node);
  void setAlternative(const VexUnicodeString* action, const VexUnicodeString* origin,
                      const MergerObj* node);
  // Records which option was taken (2 the alternative, anything else the
  // recommendation) and the rule that decided, when one did. Part of the
  // program's fixed interface: it takes the rule, which the tree knows only
  // by its number, so it is defined with the rules (rules/MergerObjChoice.cpp).
  void setChoice(const int& choice, const MergerRule* rule);
  // The same for the tree itself: the rule's line, when a rule decided.
  void recordChoice(bool alternative, std::optional<int> ruleNumber);
  // The same, when a line of a file of recorded decisions decided; `file`
  // must outlive the node's record.
  void recordDecision(bool alternative, const std::string& file, int line);
  // The record of the question this node settled, or null.
  const DecisionRecord* getRecord() const;

  // 0 same type, name and value; 99 same type and name, another value;
  // otherwise -1 or 1 by type, then name (a null node first).
  static int compareNode(MergerObj* a, MergerObj* b);
  // The same on texts already taken out of the nodes (null: no node).
  static int compareTexts(const NodeText::Parts* a, const NodeText::Parts* b);
  // Sorts the children of this node and of every descendant by type, then
  // name; with `byNumber` set, the children of an ordered node by line.
  void sort(int byNumber);
  // The same for the children of this node only.
  void sortLevel(int byNumber);
  static int sortObject(const void* a, const void* b);
  static int sortObjectByNumber(const void* a, const void* b);

  // Prints the subtree, one line a node, to standard output or to a file.
  void dump(const VexUnicodeString& parentPath, int level) const;
  void dump(TamLunFileOut& out, const VexUnicodeString& parentPath, int level) const;

  // Merges the children of three corresponding nodes (any may be null) into
  // `result`: the customer's nodes are added, kept or ignored, and every
  // ambiguity is put to the rule list and recorded on the node it creates.
  // The counters stand at the last position taken in each list; every
  // caller passes 0. Always returns 0.
  static int comparer(const MergerObj* ref, int& refPos, const MergerObj* neu, int& newPos,
                      const MergerObj* custo, int& custoPos, MergerObj* result, int& resultPos);

  long getLine() const { return _nLine; }
  bool isActive() const { return _cActive == 'Y'; }
  bool isOrdered() const { return _cOrdered == 'Y'; }
  MergerObj* getParentObj() const { return static_cast<MergerObj*>(_pParent); }
  MergerObj* getChildObj(int i) const { return static_cast<MergerObj*>(getChild(i)); }
  MergerObj* childAt(size_t i) const { return static_cast<MergerObj*>(_pChildren[i]); }
  using MergerNode::reserveChildren;
  VexUnicodeString getRecommandation() const;
  VexUnicodeString getAlternative() const;
  VexUnicodeString getChoice() const;

 private:
  MergerObj(MaskStorage& storage, MergerObj* parent, long line, const uint8_t* text, char ordered);
  static MergerObj* copyNode(const MergerObj* source, MergerObj* parent, MaskStorage* storage,
                             int mode);
  static void copyChildren(const MergerObj* source, MergerObj* copy, MaskStorage* storage,
                           int mode);
  void appendIdAfter(std::string& out, size_t start) const;
  DecisionRecord& record();
  void sortChildren(bool byNumber);
  void dumpTo(std::ostream& out, const std::string& parentPath) const;

  char _cActive;
  char _cOrdered;
  // 32 bits: a file of more lines would never fit in memory as a tree.
  int32_t _nLine;
};
