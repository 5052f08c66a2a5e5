#include <iostream>
#include <ostream>

#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "maskfile/ErrorReport.h"
#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/MergerFile.h"
#include "maskfile/OutputBuffer.h"
#include "maskfile/ReviewRecordLines.h"
#include "maskfile/WrittenHeader.h"
#include "tree/NodeExtras.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

int MergerFile::save(const VexUnicodeString& name) {
  VexQelTraceStep step(&gTraceMain, "MergerFile::save");
  if (name.GetLengthInChar() < 1) {
    RaiseError(1, "LUNMerger_NO_FILE_SPECIFIED", 1);
    return 1;
  }
  std::cout << "Writing: " << name << "\n";
  TamLunFileOut file;
  file.open(name.ConvertToChar());
  if (!file.good()) {
    RaiseError(4, "LUNMerger_CANNOT_OPEN_FILE", 0);
    return 1;
  }
  writeTo(file.stream());
  file.close();
  return 0;
}

bool MergerFile::writeTo(std::ostream& file) {
  if (_pDefault) {
    OutputBuffer out(file);
    writeHeader(out);
    writeMasks(out);
  }
  file.flush();
  return file.good();
}

void MergerFile::writeHeader(OutputBuffer& out) const {
  out << WrittenHeader::kRule << '\n' << WrittenHeader::kGenerated << '\n';
  if (readBack()) out << WrittenHeader::kReadBackMark << '\n';
  out << WrittenHeader::kRule << '\n' << "*SEPARATOR " << _sSeparator.str() << '\n';
}

void MergerFile::writeMasks(OutputBuffer& out) {
  // Values go back into the order of their lines: administrators order
  // value lists on purpose. The levels below the masks are sorted as they
  // are written.
  sortMasks(1);
  _pFirstMask = nullptr;
  _bSortAsWritten = true;
  int count = _lMasks.Size();
  for (int i = 1; i <= count; ++i) {
    MergerObj* mask = getMaskAt(i);
    if (!mask) continue;
    if (!_pFirstMask) _pFirstMask = mask;
    writeNode(out, mask);
  }
  _bSortAsWritten = false;
}

void MergerFile::saveNode(TamLunFileOut& file, MergerObj* node) {
  OutputBuffer out(file.stream());
  writeNode(out, node);
}

void MergerFile::writeNode(OutputBuffer& out, MergerObj* node) {
  if (!node) return;
  size_t count = node->childCount();
  if (gTraceMain.IsActive()) {
    std::string id;
    node->appendId(id);
    out << "// ### NODE ID: " << id << '\n';
  }
  const DecisionRecord* record = node->getRecord();
  if (record && !record->alternative.empty()) writeRecord(out, *record);
  // An inactive node stays only to carry the record of a decision; its
  // subtree is sorted all the same, as a sort before writing leaves it.
  if (!node->isActive()) {
    if (_bSortAsWritten) node->sort(1);
    return;
  }
  if (_bSortAsWritten) node->sortLevel(1);

  const VexListValVexUnicodeString* comments = node->getComments();
  if (_nKeepComments && comments) writeComments(out, *comments);
  writeLine(out, node);
  out.maybeFlush();
  writeChildren(out, node, count);
}

// In the read-back layout the review records of an earlier merge, read as
// comments, are left out: they speak of that merge, and of another node.
void MergerFile::writeComments(OutputBuffer& out, const VexListValVexUnicodeString& comments) {
  int size = comments.Size();
  for (int i = 1; i <= size; ++i) {
    const std::string& line = comments[i].str();
    if (readBack()) {
      auto at = [&](int k) { return k <= size ? std::string_view(comments[k].str()) : ""; };
      if (int record = ReviewRecordLines::lengthAt(line, at(i + 1), at(i + 2)); record > 0) {
        i += record - 1;
        continue;
      }
    }
    if (!line.empty()) out << line << '\n';
  }
}

// An entity's own lines come before its attributes in the read-back
// layout, so that they are read back as the entity's. Attributes sort
// first among its children.
void MergerFile::writeChildren(OutputBuffer& out, MergerObj* node, size_t count) {
  size_t attributes = 0;
  if (readBack() && node->type() == gsTYPE_ENTITY.str()) {
    while (attributes < count && node->childAt(attributes) &&
           node->childAt(attributes)->type() == gsTYPE_ATTR.str())
      ++attributes;
  }
  for (size_t i = attributes; i < count; ++i) writeNode(out, node->childAt(i));
  for (size_t i = 0; i < attributes; ++i) writeNode(out, node->childAt(i));
}

void MergerFile::writeRecord(OutputBuffer& out, const DecisionRecord& record) {
  std::string text(ReviewRecordLines::kChoice);
  record.recommendation.appendTo(text);
  text += '\n';
  text += ReviewRecordLines::kAlternative;
  record.alternative.appendTo(text);
  text += '\n';
  if (record.hasChoice()) {
    text += ReviewRecordLines::kFinally;
    record.appendChoiceTo(text);
    text += '\n';
  }
  out << text;
}

void MergerFile::writeLine(OutputBuffer& out, MergerObj* node) {
  NodeText::Parts text = node->text();
  std::string_view separator = _sSeparator.str();
  if (text.type.size() != 1) return;
  switch (text.type[0]) {
    case 'E':
      writeEntity(out, node);
      break;
    case 'F':
      checkField(text.name, false, node);
      checkField(text.value, true, node);
      out << "+FILTER " << text.name << separator << text.value << '\n';
      break;
    case 'A':
      writeAttr(out, node);
      break;
    case 'X':
      checkField(text.name, text.value.empty(), node);
      checkField(text.value, true, node);
      out << "+ACI " << text.name;
      if (!text.value.empty()) out << separator << text.value;
      out << '\n';
      break;
    case 'V':
      checkField(text.name, true, node);
      out << "+VALUE " << text.name << '\n';
      break;
    case 'M':
      writeMask(out, node);
      break;
  }
}

void MergerFile::writeMask(OutputBuffer& out, MergerObj* node) {
  NodeText::Parts text = node->text();
  std::string_view separator = _sSeparator.str();
  _sMask = VexUnicodeString(text.name);
  _sEntityMask = entityMaskField(node);
  _sAttrMask = attrMaskField(node);
  _pEntityWritten = nullptr;
  checkField(text.name, text.value.empty(), node);
  out << "*MASK " << text.name;
  if (!text.value.empty()) {
    checkField(gsNULL.str(), false, node);
    checkField(text.value, true, node);
    out << separator << gsNULL.str() << separator << text.value;
  }
  out << '\n';
}

void MergerFile::writeEntity(OutputBuffer& out, MergerObj* node) {
  std::string_view name = node->name();
  _sEntity = VexUnicodeString(name);
  std::string_view separator = _sSeparator.str();
  std::string_view alias;
  if (node->hasOwnProperties()) {
    alias = node->ownProperties()[0];
  } else if (MergerObj* child = node->findChild(gsTYPE_PROP.str(), gsPROP_ALIAS.str())) {
    alias = child->value();
  }
  bool aliased = !alias.empty();
  if (readBack()) noteUnreadableAttributes(node);
  checkField(name, false, node);
  checkField(_sEntityMask, !aliased, node);
  out << "*ENTITY " << name << separator << _sEntityMask;
  if (aliased) {
    checkField(alias, true, node);
    out << separator << alias;
  }
  out << '\n';
}

// The properties are those the attribute holds, or else found in one pass
// over the children (the first of each name counts); they are written in
// the order of the attribute line.
void MergerFile::writeAttr(OutputBuffer& out, MergerObj* node) {
  enum Field { kRequired, kAlias, kGroup, kOrder, kAuth, kDefval, kFields };
  static const VexUnicodeString* const kNames[kFields] = {
      &gsPROP_MAND, &gsPROP_ALIAS, &gsPROP_GROUP, &gsPROP_ORDER, &gsPROP_AUTH, &gsPROP_DEFVAL};
  std::string_view values[kFields];
  if (node->hasOwnProperties()) {
    // Where each field of the line is among the properties, which are in
    // order of name.
    static constexpr size_t kOwnIndex[kFields] = {5, 0, 3, 4, 1, 2};
    OwnProperties::Values own = node->ownProperties();
    for (int f = 0; f < kFields; ++f) values[f] = own[kOwnIndex[f]];
  }
  bool found[kFields] = {};
  for (size_t i = 0; i < node->childCount() && !node->hasOwnProperties(); ++i) {
    MergerObj* child = node->childAt(i);
    if (!child) continue;
    NodeText::Parts text = child->text();
    if (text.type != gsTYPE_PROP.str()) continue;
    for (int f = 0; f < kFields; ++f) {
      std::string_view name = kNames[f]->str();
      // The first byte tells the names apart before any full comparison.
      if (!found[f] && text.name.size() == name.size() && text.name[0] == name[0] &&
          text.name == name) {
        found[f] = true;
        values[f] = text.value;
        break;
      }
    }
  }
  std::string_view separator = _sSeparator.str();
  if (readBack()) {
    checkField(node->name(), false, node);
    checkField(std::string(_sEntity.str()) + gsDOT.str() + _sAttrMask, false, node);
    for (int f = 0; f < kFields; ++f) checkField(values[f], f == kDefval, node);
    checkField(gsNULL.str(), false, node);
  }
  out << "*ATTR " << node->name() << separator << _sEntity.str() << gsDOT.str() << _sAttrMask;
  for (int f = 0; f < kFields; ++f) {
    if (f == kAuth) out << separator << gsNULL.str();
    out << separator << values[f];
  }
  out << '\n';
}
