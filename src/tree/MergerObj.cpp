#include "tree/MergerObj.h"

#include <new>

#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "tree/MaskStorage.h"
#include "tree/NodeExtras.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);
// Declared for the unit's diagnostics; nothing is written to it.
static VexQelTrace gTraceObj("MergerObj", "MergerObj", "STDOUT", 1024, VexTraDefault);

const VexUnicodeString gsVisuRef("REF(n)  ");
const VexUnicodeString gsVisuNew("NEW(n+1)");
const VexUnicodeString gsVisuCus("CUSTO(n)");
const VexUnicodeString gsVisuADD("ADD   ");
const VexUnicodeString gsVisuKEEP("KEEP  ");
const VexUnicodeString gsVisuIGNORE("IGNORE");

// Millions of them are alive at once: keep an eye on the size.
static_assert(sizeof(MergerObj) <= 48);

MergerObj::MergerObj(MergerObj* parent, long line, const VexUnicodeString& type,
                     const VexUnicodeString& name, const VexUnicodeString& value, char ordered)
    : MergerNode(parent, type, name, value),
      _cActive('Y'),
      _cOrdered(ordered),
      _nLine(static_cast<int32_t>(line)) {}

MergerObj::MergerObj(MaskStorage& storage, MergerObj* parent, long line, const uint8_t* text,
                     char ordered)
    : MergerNode(storage, parent, text),
      _cActive('Y'),
      _cOrdered(ordered),
      _nLine(static_cast<int32_t>(line)) {}

MergerObj::~MergerObj() = default;

void MergerObj::add(MergerNode* child) { MergerNode::add(child); }

// The text goes right behind the node, so that reading a node's name costs
// no second trip to memory; only a very long text is kept apart.
MergerObj* MergerObj::create(MaskStorage& storage, MergerObj* parent, long line,
                             std::string_view type, std::string_view name, std::string_view value,
                             char ordered) {
  constexpr size_t kInlineText = 4096;
  size_t textSize = NodeText::encodedSize(type, name, value);
  if (textSize > kInlineText) {
    const uint8_t* text = packText(&storage, type, name, value);
    return new (storage.allocateNode(sizeof(MergerObj)))
        MergerObj(storage, parent, line, text, ordered);
  }
  auto memory = static_cast<char*>(storage.allocateNode(sizeof(MergerObj) + textSize));
  auto text = reinterpret_cast<uint8_t*>(memory + sizeof(MergerObj));
  NodeText::encode(text, type, name, value);
  return new (memory) MergerObj(storage, parent, line, text, ordered);
}

MergerObj* MergerObj::createHolding(MaskStorage& storage, MergerObj* parent, long line,
                                    std::string_view type, std::string_view name,
                                    const OwnProperties::Values& values) {
  size_t textSize = NodeText::encodedSize(type, name, {});
  auto text = storage.allocateBytes(textSize + OwnProperties::encodedSize(values));
  NodeText::encode(text, type, name, {});
  OwnProperties::encode(text + textSize, values);
  auto node =
      new (storage.allocateNode(sizeof(MergerObj))) MergerObj(storage, parent, line, text, 'N');
  node->markOwnProperties();
  return node;
}

namespace {

// Calls `onChild` for each child of `source` (a node holding its own
// properties) and `onProperty` with the index of each property, in the
// order a sorted tree with the properties as nodes would have them. The
// children are in order already; a property goes before a child it equals,
// as a reader that makes them first would leave it.
template <class Child, class Property>
void inPropertyOrder(const MergerObj* source, Child onChild, Property onProperty) {
  size_t next = 0, count = source->ownPropertyCount();
  auto before = [&next](const MergerObj* child) {
    NodeText::Parts text = child->text();
    int r = NodeText::compareBytes(text.type, gsTYPE_PROP.str());
    return (r != 0 ? r : NodeText::compareBytes(text.name, OwnProperties::name(next))) >= 0;
  };
  for (size_t i = 0; i < source->childCount(); ++i) {
    const MergerObj* child = source->childAt(i);
    while (child && next < count && before(child)) onProperty(next++);
    onChild(child);
  }
  while (next < count) onProperty(next++);
}

}  // namespace

MergerObj* MergerObj::standIn(MaskStorage& storage, const MergerObj* source, unsigned which) {
  auto stand = new (storage.allocateNode(sizeof(MergerObj)))
      MergerObj(storage, nullptr, source->_nLine, source->_pText, source->_cOrdered);
  storage.retain(MaskStorage::of(source));
  stand->_pParent = source->_pParent;
  OwnProperties::Values values = source->ownProperties();
  for (size_t i = 0; i < source->ownPropertyCount(); ++i) {
    if (which & (1u << i))
      create(storage, stand, source->_nLine, gsTYPE_PROP.str(), OwnProperties::name(i), values[i],
             'N');
  }
  return stand;
}

MergerObj* MergerObj::createDummyNode(MergerObj* parent) {
  if (parent && parent->inStorage()) {
    return create(*MaskStorage::of(parent), parent, 0, {}, {}, {}, 'N');
  }
  return new MergerObj(parent, 0, gsEMPTY, gsEMPTY, gsEMPTY, 'N');
}

// One copy, alone, in `storage` (sharing the source's texts) or on the heap.
MergerObj* MergerObj::copyNode(const MergerObj* source, MergerObj* parent, MaskStorage* storage,
                               int mode) {
  MergerObj* copy;
  if (storage) {
    const uint8_t* text = source->_pText;
    if (source->inStorage()) {
      storage->retain(MaskStorage::of(source));
    } else {
      NodeText::Parts parts = source->text();
      text = packText(storage, parts.type, parts.name, parts.value);
    }
    copy = new (storage->allocateNode(sizeof(MergerObj)))
        MergerObj(*storage, parent, source->_nLine, text, source->_cOrdered);
    if (source->hasOwnProperties()) copy->markOwnProperties();
    // The copy's storage keeps the source's alive, comments included.
    if (source->inStorage()) copy->shareComments(*source);
  } else {
    NodeText::Parts parts = source->text();
    copy = new MergerObj(parent, source->_nLine, VexUnicodeString(parts.type),
                         VexUnicodeString(parts.name), VexUnicodeString(parts.value),
                         source->_cOrdered);
  }
  if (!copy->inStorage() || !source->inStorage()) {
    if (VexListValVexUnicodeString* comments = source->getComments()) copy->addComments(*comments);
  }
  if (mode == 99) {
    copy->_cActive = 'N';
    return copy;
  }
  // A kept node gets about as many children as its source has.
  copy->reserveChildren(source->_nChildren);
  if (mode == 0) return copy;
  copyChildren(source, copy, storage, mode);
  return copy;
}

// A node made with `new` has no room for properties behind its text: a
// copy of the whole subtree of a node holding its own gets them as nodes,
// among its other children. (A copy alone gets none, as it gets no
// children: the merge that follows makes them.)
void MergerObj::copyChildren(const MergerObj* source, MergerObj* copy, MaskStorage* storage,
                             int mode) {
  if (storage || !source->hasOwnProperties()) {
    for (size_t i = 0; i < source->_nChildren; ++i) {
      if (const MergerObj* child = source->childAt(i)) copyNode(child, copy, storage, mode);
    }
    if (source->childrenInOrder()) copy->markChildrenInOrder();
    return;
  }
  OwnProperties::Values values = source->ownProperties();
  inPropertyOrder(
      source,
      [&](const MergerObj* child) {
        if (child) copyNode(child, copy, nullptr, mode);
      },
      [&](size_t i) {
        new MergerObj(copy, source->_nLine, gsTYPE_PROP, VexUnicodeString(OwnProperties::name(i)),
                      VexUnicodeString(values[i]), 'N');
      });
}

MergerObj* MergerObj::clone(const MergerObj* source, MergerObj* parent, int mode) {
  if (!source) return nullptr;
  MaskStorage* storage =
      parent && parent->inStorage() ? &MaskStorage::forNodesUnder(parent) : nullptr;
  return copyNode(source, parent, storage, mode);
}

MergerObj* MergerObj::cloneRoot(MaskStorage& storage, const MergerObj* source, int mode) {
  return source ? copyNode(source, nullptr, &storage, mode) : nullptr;
}

MergerObj* MergerObj::find(const VexUnicodeString& type, const VexUnicodeString& name) const {
  return findChild(type.str(), name.str());
}

// Each level is preceded by "/" once `out` has grown past `start`.
void MergerObj::appendIdAfter(std::string& out, size_t start) const {
  if (_pParent) getParentObj()->appendIdAfter(out, start);
  NodeText::Parts text = this->text();
  if (text.type == gsTYPE_MASK.str()) return;
  if (out.size() > start) out += '/';
  out.append(text.type).append("::").append(text.name);
  if (!text.value.empty()) out.append("[").append(text.value).append("]");
}

void MergerObj::appendId(std::string& out) const { appendIdAfter(out, out.size()); }

void MergerObj::getId(VexUnicodeString& id) const {
  std::string text = id.str();
  appendIdAfter(text, 0);
  id = VexUnicodeString(std::move(text));
}

void MergerObj::xpath(VexUnicodeString& path) const {
  if (_pParent) getParentObj()->getId(path);
  NodeText::Parts text = this->text();
  if (text.type == gsTYPE_MASK.str()) return;
  std::string out = path.str();
  if (!out.empty()) out += '/';
  out.append(text.type).append("::").append(text.name);
  path = VexUnicodeString(std::move(out));
}

void MergerObj::setLine(long line) {
  VexQelTraceStep step(&gTraceMain, "setLine");
  _nLine = static_cast<int32_t>(line);
  gTraceMain << "->" << line << "\n";
}

DecisionRecord& MergerObj::record() {
  NodeExtras& own = extras();
  if (!own.record) own.record = std::make_unique<DecisionRecord>();
  return *own.record;
}

const DecisionRecord* MergerObj::getRecord() const {
  NodeExtras* own = extrasIfAny();
  return own ? own->record.get() : nullptr;
}

void MergerObj::setRecommandation(const VexUnicodeString& action, const VexUnicodeString& origin,
                                  const VexUnicodeString& id) {
  record().recommendation.set(action, origin, id);
}

void MergerObj::setAlternative(const VexUnicodeString& action, const VexUnicodeString& origin,
                               const VexUnicodeString& id) {
  record().alternative.set(action, origin, id);
}

void MergerObj::setRecommandation(const VexUnicodeString* action, const VexUnicodeString* origin,
                                  const MergerObj* node) {
  record().recommendation.set(action, origin, node);
}

void MergerObj::setAlternative(const VexUnicodeString* action, const VexUnicodeString* origin,
                               const MergerObj* node) {
  record().alternative.set(action, origin, node);
}

void MergerObj::recordChoice(bool alternative, std::optional<int> ruleNumber) {
  record().setChoice(alternative, ruleNumber);
}

void MergerObj::recordDecision(bool alternative, const std::string& file, int line) {
  record().setDecided(alternative, file, line);
}

VexUnicodeString MergerObj::getRecommandation() const {
  std::string text;
  if (const DecisionRecord* own = getRecord()) own->recommendation.appendTo(text);
  return VexUnicodeString(std::move(text));
}

VexUnicodeString MergerObj::getAlternative() const {
  std::string text;
  if (const DecisionRecord* own = getRecord()) own->alternative.appendTo(text);
  return VexUnicodeString(std::move(text));
}

VexUnicodeString MergerObj::getChoice() const {
  std::string text;
  if (const DecisionRecord* own = getRecord()) own->appendChoiceTo(text);
  return VexUnicodeString(std::move(text));
}
