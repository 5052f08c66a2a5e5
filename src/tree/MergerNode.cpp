#include "tree/MergerNode.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

#include "framework/VexQelTrace.h"
#include "tree/MaskStorage.h"
#include "tree/NodeExtras.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

namespace {

// The extras of the nodes made with `new` (rule paths, trees built by
// hand), which may be made on several threads at once.
class HeapExtras {
 public:
  NodeExtras& of(const MergerNode* node) {
    std::lock_guard<std::mutex> hold(_lock);
    std::unique_ptr<NodeExtras>& extras = _byNode[node];
    if (!extras) extras = std::make_unique<NodeExtras>();
    return *extras;
  }
  NodeExtras* find(const MergerNode* node) {
    std::lock_guard<std::mutex> hold(_lock);
    auto found = _byNode.find(node);
    return found == _byNode.end() ? nullptr : found->second.get();
  }
  void erase(const MergerNode* node) {
    std::lock_guard<std::mutex> hold(_lock);
    _byNode.erase(node);
  }

 private:
  std::mutex _lock;
  std::unordered_map<const MergerNode*, std::unique_ptr<NodeExtras>> _byNode;
};

HeapExtras& heapExtras() {
  static HeapExtras extras;
  return extras;
}

}  // namespace

const uint8_t* MergerNode::packText(MaskStorage* storage, std::string_view type,
                                    std::string_view name, std::string_view value) {
  size_t size = NodeText::encodedSize(type, name, value);
  uint8_t* text = storage ? storage->allocateBytes(size) : static_cast<uint8_t*>(std::malloc(size));
  if (!text) throw std::bad_alloc();
  NodeText::encode(text, type, name, value);
  return text;
}

MergerNode::MergerNode()
    : MergerNode(nullptr, VexUnicodeString(), VexUnicodeString(), VexUnicodeString()) {}

MergerNode::MergerNode(MergerNode* parent, const VexUnicodeString& type,
                       const VexUnicodeString& name, const VexUnicodeString& value)
    : MergerNode(parent, NodeText::Parts{type.str(), name.str(), value.str()}) {}

MergerNode::MergerNode(MergerNode* parent, NodeText::Parts texts)
    : _pParent(parent),
      _pChildren(nullptr),
      _pText(packText(nullptr, texts.type, texts.name, texts.value)),
      _nChildren(0),
      _nExtras(0),
      _nBits(0),
      _nCapacityLog(kNoList) {
  if (parent) parent->add(this);
}

MergerNode::MergerNode(MaskStorage&, MergerNode* parent, const uint8_t* text)
    : _pParent(parent),
      _pChildren(nullptr),
      _pText(text),
      _nChildren(0),
      _nExtras(0),
      _nBits(kInStorage),
      _nCapacityLog(kNoList) {
  if (parent) parent->appendChild(this);
}

// Destroys the subtree without recursion, since a rule's path is as deep as
// its line is long. Nodes still go in the order of a recursive walk: each
// node before its children, children in index order. Only a node made with
// `new` is ever destroyed: the nodes of a storage go with their storage.
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
  releaseOwned();
}

void MergerNode::takeChildren(std::vector<MergerNode*>& pending) {
  if (inStorage()) return;
  for (size_t i = _nChildren; i > 0; --i) {
    MergerNode* child = _pChildren[i - 1];
    if (child && !child->inStorage()) pending.push_back(child);
  }
  _nChildren = 0;
}

void MergerNode::releaseOwned() {
  if (inStorage()) return;
  std::free(_pChildren);
  _pChildren = nullptr;
  std::free(const_cast<uint8_t*>(_pText));
  _pText = nullptr;
  if (_nExtras) heapExtras().erase(this);
}

void MergerNode::add(MergerNode* child) {
  if (!child) return;
  appendChild(child);
  if (inStorage() && !child->inStorage()) MaskStorage::of(this)->adopt(child);
}

void MergerNode::reserveChildren(size_t count) {
  if (count > childCapacity()) growChildren(std::bit_ceil(count));
}

void MergerNode::growChildren(size_t capacity) {
  // The count must stay within its 32 bits: no tree comes near this.
  if (capacity > size_t{1} << 31) throw std::bad_alloc();
  size_t old = childCapacity();
  MergerNode** items;
  if (inStorage()) {
    MaskStorage* storage = &MaskStorage::forNodesUnder(this);
    items = storage->allocateChildren(capacity);
    if (_nChildren) std::memcpy(items, _pChildren, _nChildren * MaskStorage::kChildSlot);
    storage->releaseChildren(_pChildren, old);
  } else {
    items = static_cast<MergerNode**>(std::realloc(_pChildren, capacity * MaskStorage::kChildSlot));
    if (!items) throw std::bad_alloc();
  }
  _pChildren = items;
  _nCapacityLog = static_cast<uint8_t>(std::countr_zero(capacity));
}

int MergerNode::getChildCount() const {
  return _nChildren > INT_MAX ? INT_MAX : static_cast<int>(_nChildren);
}

MergerNode* MergerNode::findChild(std::string_view type, std::string_view name) const {
  for (size_t i = 0; i < _nChildren; ++i) {
    MergerNode* child = _pChildren[i];
    if (!child) continue;
    NodeText::Parts text = child->text();
    if (text.type == type && text.name == name) return child;
  }
  return nullptr;
}

MergerNode* MergerNode::getNode(const VexUnicodeString& type, const VexUnicodeString& name) const {
  return findChild(type.str(), name.str());
}

NodeExtras& MergerNode::extras() {
  if (!inStorage()) {
    _nExtras = 1;
    return heapExtras().of(this);
  }
  MaskStorage* storage = MaskStorage::of(this);
  if (!_nExtras) _nExtras = storage->newExtras();
  return storage->extrasAt(_nExtras);
}

NodeExtras* MergerNode::extrasIfAny() const {
  if (!_nExtras) return nullptr;
  return inStorage() ? &MaskStorage::of(this)->extrasAt(_nExtras) : heapExtras().find(this);
}

void MergerNode::addComments(const VexListValVexUnicodeString& comments) {
  if (comments.Size() < 1) return;
  ownComments().texts.Append(comments);
}

void MergerNode::takeComments(VexListValVexUnicodeString& comments) {
  if (comments.Size() < 1) return;
  NodeComments& own = ownComments();
  if (own.texts.Size() > 0) {
    own.texts.Append(comments);
    comments.RemoveAll(VexCollec::FreeMemory);
  } else {
    std::swap(own.texts, comments);
  }
}

void MergerNode::takeComments(VexListValVexUnicodeString& comments, std::vector<long>& lines) {
  if (comments.Size() < 1) return;
  NodeComments& own = ownComments();
  auto before = static_cast<size_t>(own.texts.Size());
  takeComments(comments);
  // Zeroes stand for the lines of comments given without theirs.
  auto all = std::make_unique<long[]>(static_cast<size_t>(own.texts.Size()));
  if (own.lines) std::copy(own.lines.get(), own.lines.get() + before, all.get());
  std::copy(lines.begin(), lines.end(), all.get() + before);
  own.lines = std::move(all);
  lines.clear();
}

NodeComments& MergerNode::ownComments() {
  NodeExtras& own = extras();
  if (!own.comments) {
    own.comments = std::make_unique<NodeComments>();
    // Comments shared with a source become this node's own before they
    // change; a copy has no lines.
    if (own.sharedComments) own.comments->texts = own.sharedComments->texts;
    own.sharedComments = nullptr;
  }
  return *own.comments;
}

void MergerNode::shareComments(const MergerNode& source) {
  NodeExtras* theirs = source.extrasIfAny();
  if (!theirs) return;
  const NodeComments* comments = theirs->comments ? theirs->comments.get() : theirs->sharedComments;
  if (!comments || comments->texts.Size() < 1) return;
  if (NodeExtras* own = extrasIfAny(); own && own->comments) {
    own->comments->texts.Append(comments->texts);
    return;
  }
  extras().sharedComments = comments;
}

std::span<const long> MergerNode::getCommentLines() const {
  NodeExtras* extras = extrasIfAny();
  const NodeComments* own = extras ? extras->comments.get() : nullptr;
  if (!own || !own->lines) return {};
  return {own->lines.get(), static_cast<size_t>(own->texts.Size())};
}

VexListValVexUnicodeString* MergerNode::getComments() const {
  NodeExtras* extras = extrasIfAny();
  if (!extras) return nullptr;
  if (extras->comments) return &extras->comments->texts;
  // The pointer could be written through; callers only read it, and
  // comments shared with another node must stay as they are.
  return extras->sharedComments
             ? const_cast<VexListValVexUnicodeString*>(&extras->sharedComments->texts)
             : nullptr;
}

int MergerNode::compareNode(const MergerNode* a, const MergerNode* b, int wildcard) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  NodeText::Parts ta = a->text(), tb = b->text();
  int r = NodeText::compareBytes(ta.type, tb.type);
  if (r != 0) return r;
  if (wildcard && !ta.name.empty() && ta.name[0] == '*') {
    r = 0;
  } else {
    r = NodeText::compareBytes(ta.name, tb.name);
  }
  if (wildcard && gTraceMain.IsActive()) {
    gTraceMain << "compare(" << ta.name << "," << tb.name << ") = " << r << "\n";
  }
  return r;
}
