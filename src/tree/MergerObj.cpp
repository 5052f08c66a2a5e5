#include "tree/MergerObj.h"

#include <iostream>

#include "app/Vocabulary.h"
#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "rules/MergerRule.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);
// Declared for the unit's diagnostics; nothing is written to it.
static VexQelTrace gTraceObj("MergerObj", "MergerObj", "STDOUT", 1024, VexTraDefault);

const VexUnicodeString gsVisuRef("REF(n)  ");
const VexUnicodeString gsVisuNew("NEW(n+1)");
const VexUnicodeString gsVisuCus("CUSTO(n)");
const VexUnicodeString gsVisuADD("ADD   ");
const VexUnicodeString gsVisuKEEP("KEEP  ");
const VexUnicodeString gsVisuIGNORE("IGNORE");

MergerObj::MergerObj(MergerObj* parent, long line, const VexUnicodeString& type,
                     const VexUnicodeString& name, const VexUnicodeString& value, char ordered)
    : MergerNode(parent, type, name, value), _nLine(line), _cActive('Y'), _cOrdered(ordered) {}

MergerObj::~MergerObj() = default;

void MergerObj::add(MergerNode* child) {
  if (child) _lChildren.Append(child);
}

MergerObj* MergerObj::createDummyNode(MergerObj* parent) {
  return new MergerObj(parent, 0, gsEMPTY, gsEMPTY, gsEMPTY, 'N');
}

MergerObj* MergerObj::clone(MergerObj* source, MergerObj* parent, int mode) {
  if (!source) return nullptr;
  MergerObj* copy =
      new MergerObj(parent, source->_nLine, source->_sType, source->_sName, source->_sValue, 'N');
  if (source->_pComments) copy->addComments(*source->_pComments);
  copy->_cOrdered = source->_cOrdered;
  if (mode == 99) {
    copy->_cActive = 'N';
    return copy;
  }
  if (mode == 0) return copy;
  int count = source->getChildCount();
  for (int i = 1; i <= count; ++i) {
    MergerObj* child = source->getChildObj(i);
    if (child) clone(child, copy, mode);
  }
  return copy;
}

MergerObj* MergerObj::find(const VexUnicodeString& type, const VexUnicodeString& name) const {
  return static_cast<MergerObj*>(getNode(type, name));
}

void MergerObj::getId(VexUnicodeString& id) const {
  if (_pParent) getParentObj()->getId(id);
  if (_sType == gsTYPE_MASK) return;
  if (id.GetLengthInChar() > 0) id += gsVISU_SEP;
  id += _sType;
  id += gsTYPE_Separator;
  id += _sName;
  if (_sValue.GetLengthInChar() > 0) {
    id += gsVALUE_Start;
    id += _sValue;
    id += gsVALUE_End;
  }
}

void MergerObj::xpath(VexUnicodeString& path) const {
  if (_pParent) getParentObj()->getId(path);
  if (_sType == gsTYPE_MASK) return;
  if (path.GetLengthInChar() > 0) path += gsVISU_SEP;
  path += _sType;
  path += gsTYPE_Separator;
  path += _sName;
}

void MergerObj::setLine(long line) {
  VexQelTraceStep step(&gTraceMain, "setLine");
  _nLine = line;
  gTraceMain << "->" << line << "\n";
}

static void composeDecision(VexUnicodeString& text, const VexUnicodeString& action,
                            const VexUnicodeString& origin, const VexUnicodeString& id) {
  text = action;
  text += " ";
  text += origin;
  text += " [";
  text += id;
  text += "]";
}

void MergerObj::setRecommandation(const VexUnicodeString& action, const VexUnicodeString& origin,
                                  const VexUnicodeString& id) {
  composeDecision(_sRecommandation, action, origin, id);
}

void MergerObj::setAlternative(const VexUnicodeString& action, const VexUnicodeString& origin,
                               const VexUnicodeString& id) {
  composeDecision(_sAlternative, action, origin, id);
}

void MergerObj::setChoice(const int& choice, const MergerRule* rule) {
  _sChoice = choice == 2 ? "ALTERNATIVE" : "RECOMMENDATION";
  if (rule) {
    VexUnicodeString number;
    number.BuildFromNum(rule->getNumber(), "%d");
    _sChoice += " [rule #";
    _sChoice += number;
    _sChoice += "]";
  } else {
    _sChoice += " [no rule matched]";
  }
}

int MergerObj::compareNode(MergerObj* a, MergerObj* b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  int r = MergerNode::compareNode(a, b, 0);
  if (r != 0) return r;
  return a->_sValue == b->_sValue ? 0 : 99;
}

void MergerObj::sort(int byNumber) {
  int count = getChildCount();
  if (count == 0) return;
  _lChildren.QuickSort(byNumber && _cOrdered == 'Y' ? sortObjectByNumber : sortObject);
  for (int i = 1; i <= count; ++i) {
    MergerObj* child = getChildObj(i);
    if (child) child->sort(byNumber);
  }
}

// Null entries sort after every node.
static int compareNulls(const MergerObj* a, const MergerObj* b) {
  if (!a) return b ? 1 : 0;
  return -1;
}

int MergerObj::sortObject(const void* pa, const void* pb) {
  auto a = static_cast<const MergerObj*>(pa);
  auto b = static_cast<const MergerObj*>(pb);
  if (!a || !b) return compareNulls(a, b);
  int r = a->_sType.Compare(b->_sType);
  return r != 0 ? r : a->_sName.Compare(b->_sName);
}

int MergerObj::sortObjectByNumber(const void* pa, const void* pb) {
  auto a = static_cast<const MergerObj*>(pa);
  auto b = static_cast<const MergerObj*>(pb);
  if (!a || !b) return compareNulls(a, b);
  if (a->_nLine != b->_nLine) return a->_nLine > b->_nLine ? 1 : -1;
  return sortObject(pa, pb);
}

void MergerObj::dump(const VexUnicodeString& parentPath, int) const {
  dumpTo(std::cout, parentPath);
}

void MergerObj::dump(TamLunFileOut& out, const VexUnicodeString& parentPath, int) const {
  dumpTo(out.stream(), parentPath);
}

void MergerObj::dumpTo(std::ostream& out, const VexUnicodeString& parentPath) const {
  VexUnicodeString path;
  if (_sType != gsTYPE_MASK) {
    path = parentPath;
    if (path.GetLengthInChar() > 0) {
      if (_sType == gsTYPE_ACI) {
        path += gsVISU_SEP;
        path += gsPROP_ACCESS;
      } else if (_sType == gsTYPE_VALUE) {
        path += gsVISU_SEP;
        path += gsPROP_VALUE;
      }
      path += gsVISU_SEP;
    }
    path += _sName;
    out << "#" << _nLine << ": " << (_cActive == 'N' ? " {N}" : "    ") << path;
    if (_sValue.GetLengthInChar() > 0) out << "[" << _sValue << "]";
    out << "\n";
  }
  int count = getChildCount();
  for (int i = 1; i <= count; ++i) {
    MergerObj* child = getChildObj(i);
    if (child) child->dumpTo(out, path);
  }
}
