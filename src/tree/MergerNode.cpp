#include "tree/MergerNode.h"

#include <vector>

#include "framework/VexQelTrace.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

MergerNode::MergerNode() : _pParent(nullptr), _lChildren(0), _pComments(nullptr) {}

MergerNode::MergerNode(MergerNode* parent, const VexUnicodeString& type,
                       const VexUnicodeString& name, const VexUnicodeString& value)
    : _pParent(parent),
      _lChildren(0),
      _sType(type),
      _sName(name),
      _sValue(value),
      _pComments(nullptr) {
  if (parent) parent->add(this);
}

// Destroys the subtree without recursion, since a rule's path is as deep as
// its line is long. Nodes still go in the order of a recursive walk: each
// node before its children, children in index order.
MergerNode::~MergerNode() {
  std::vector<MergerNode*> pending;
  takeChildren(pending);
  while (!pending.empty()) {
    MergerNode* node = pending.back();
    pending.pop_back();
    node->takeChildren(pending);
    delete node;
  }
  _pParent = nullptr;
  delete _pComments;
  _pComments = nullptr;
}

void MergerNode::takeChildren(std::vector<MergerNode*>& pending) {
  for (int i = _lChildren.Size(); i >= 1; --i) {
    if (_lChildren[i]) pending.push_back(getChild(i));
  }
  _lChildren.RemoveAll(VexCollec::FreeMemory);
}

void MergerNode::add(MergerNode* child) {
  if (child) _lChildren.Append(child);
}

MergerNode* MergerNode::getNode(const VexUnicodeString& type, const VexUnicodeString& name) const {
  int count = _lChildren.Size();
  for (int i = 1; i <= count; ++i) {
    MergerNode* child = getChild(i);
    if (child && child->_sType == type && child->_sName == name) return child;
  }
  return nullptr;
}

void MergerNode::addComments(const VexListValVexUnicodeString& comments) {
  if (comments.Size() < 1) return;
  if (!_pComments) _pComments = new VexListValVexUnicodeString;
  _pComments->Append(comments);
}

int MergerNode::compareNode(const MergerNode* a, const MergerNode* b, int wildcard) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  int r = a->_sType.Compare(b->_sType);
  if (r != 0) return r;
  if (wildcard && a->_sName.GetLengthInChar() > 0 && a->_sName.str()[0] == '*') {
    r = 0;
  } else {
    r = a->_sName.Compare(b->_sName);
  }
  if (wildcard) {
    gTraceMain << "compare(" << a->_sName << "," << b->_sName << ") = " << r << "\n";
  }
  return r;
}
