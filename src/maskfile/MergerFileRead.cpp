#include <iostream>

#include "app/Vocabulary.h"
#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "maskfile/MergerFile.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

int MergerFile::read(const VexUnicodeString& name) {
  VexQelTraceStep step(&gTraceMain, "MergerFile::read");
  TamLunFileIn file;
  if (openFile(name, file) != 0) return 1;
  std::cout << "Reading: " << name << "\n";
  std::cout.flush();

  bool last;
  do {
    file.readLine(aLine);
    last = file.eof() != 0;
    oneLine(aLine);
  } while (!last);

  if (gTraceMain.IsActive()) {
    gTraceMain << "> INFO: Read " << _nLines << " lines"
               << "\n";
    gTraceMain << "> INFO: Separator is [" << _sSeparator << "]"
               << "\n";
  } else {
    std::cout << "> INFO: Read " << _nLines << " lines"
              << "\n";
    std::cout.flush();
  }
  file.close();
  sort(0);

  if (gTraceMain.IsActive()) {
    gTraceMain << "Dumping tree: "
               << "\n";
    if (_pDefault) _pDefault->dump(gsEMPTY, 0);
    std::cout.flush();
  }
  return 0;
}

void MergerFile::oneLine(VexUnicodeString& line) {
  ++_nLines;
  if (line.GetLengthInChar() < 2) return;
  if (line.SubString(0, 2) == gsCOMMENT) {
    if (_nKeepComments) _lComments.Append(line);
    return;
  }
  line.ReplaceAll(gsTAB, gsBLANK);
  line.ReplaceAll(gsCTRLM, gsEMPTY);
  line = line.Strip(VexStripBoth, VexUnicodeChar(gcBLANK));
  if (line.GetLengthInChar() == 0) return;

  VexToken token(line);
  VexUnicodeString keyword = token.GetNextToken();
  keyword.ToUpper();
  if (keyword == gsACI) {
    addACI(token);
  } else if (keyword == gsATTR) {
    addAttr(token);
  } else if (keyword == gsENTITY) {
    addEntity(token);
  } else if (keyword == gsVALUE) {
    addValue(token);
  } else if (keyword == gsFILTER) {
    addFilter(token);
  } else if (keyword == gsMASK) {
    addMask(token);
  } else if (keyword == gsSEPARATOR) {
    setSep(token);
  } else {
    std::cout << "> Warning: line " << _nLines << " ignored [" << line << "]"
              << "\n";
  }
  // Comments belong to the node of the line right after them: any keyword
  // line, whether it made a node or not, ends the pending block.
  if (_nKeepComments) _lComments.RemoveAll(VexCollec::FreeMemory);
}

void MergerFile::next(VexToken& token, VexUnicodeString& out) {
  out = token.GetNextToken(_sSeparator).Strip(VexStripBoth, VexUnicodeChar(gcBLANK));
}

int MergerFile::isNull(const VexUnicodeString& field) {
  return field.GetLengthInChar() < 1 || field == gsNULL ? 1 : 0;
}

void MergerFile::makeCurrent(MergerObj* node) {
  // The previous detached attribute, if any, is freed on leaving: nothing
  // refers to it once the current node has moved on.
  std::unique_ptr<MergerObj> previous = std::move(_pDetached);
  if (node && !node->getParent()) _pDetached.reset(node);
  _pCurrent = node;
  _pCurrentValues = nullptr;
}

void MergerFile::attachComments(MergerObj* node) {
  if (_nKeepComments) node->addComments(_lComments);
}

void MergerFile::setSep(VexToken& token) {
  VexUnicodeString separator = token.GetNextToken().Strip(VexStripBoth, VexUnicodeChar(gcBLANK));
  // An empty separator would split nothing: the previous one stays.
  if (separator.GetLengthInChar() > 0) _sSeparator = separator;
}

void MergerFile::addMask(VexToken& token) {
  next(token, _sMask);
  next(token, gWord);
  next(token, gWordAttr);
  auto mask = new MergerObj(nullptr, _nLines, gsTYPE_MASK, _sMask, gWordAttr, 'N');
  appendMask(mask);
  attachComments(mask);
}

void MergerFile::addEntity(VexToken& token) {
  next(token, gWordEntity);
  next(token, gWordMask);
  gWordMask.ToUpper();
  MergerObj* mask = getMask(gWordMask);
  if (!mask) {
    std::cout << "> Warning: line " << _nLines << " ignored [" << gWordEntity << "], unknown mask"
              << "\n";
    return;
  }
  _sEntity = gWordEntity;
  auto entity = new MergerObj(mask, _nLines, gsTYPE_ENTITY, _sEntity, gsEMPTY, 'N');
  _entitiesByMask[mask].emplace(_sEntity.str(), entity);
  makeCurrent(entity);
  next(token, gWord);
  new MergerObj(entity, _nLines, gsTYPE_PROP, gsPROP_ALIAS, gWord, 'N');
  attachComments(entity);
}

void MergerFile::addAttr(VexToken& token) {
  next(token, gWordAttr);
  next(token, gWord);
  VexToken parts(gWord);
  gWordEntity = parts.GetNextToken(gsDOT);
  gWordMask = parts.GetNextToken(gsDOT);
  MergerObj* mask = getMask(gWordMask);
  if (!mask) {
    std::cout << "> Warning: line " << _nLines << " ignored [" << gWord << "], unknown mask["
              << gWordMask << "]" << gWordEntity << "\n";
    return;
  }
  // Without its entity the attribute is made all the same, detached: the
  // lines that follow it then find a parent that belongs to no tree.
  MergerObj* entity = findEntity(mask, gWordEntity);
  auto attr = new MergerObj(entity, _nLines, gsTYPE_ATTR, gWordAttr, gsEMPTY, 'N');
  makeCurrent(attr);

  auto property = [&](const VexUnicodeString& name, const VexUnicodeString& value) {
    new MergerObj(attr, _nLines, gsTYPE_PROP, name, value, 'N');
  };
  next(token, gWord);
  gWord.ToUpper();
  property(gsPROP_MAND, isNull(gWord) ? gsNO : gWord);
  next(token, gWord);
  property(gsPROP_ALIAS, gWord);
  next(token, gWord);
  property(gsPROP_GROUP, gWord);
  next(token, gWord);
  property(gsPROP_ORDER, gWord);
  next(token, gWord);  // a field that is not used
  next(token, gWord);
  gWord.ToUpper();
  property(gsPROP_AUTH, isNull(gWord) ? gsNO : gWord);
  next(token, gWord);
  property(gsPROP_DEFVAL, gWord);
  attachComments(attr);
}

void MergerFile::addACI(VexToken& token) {
  next(token, gWordAttr);
  gWordAttr.ToUpper();
  next(token, gWord);
  gWord.ToUpper();
  if (isNull(gWord)) {
    bool grants = gWordAttr == gsOP_QUERY || gWordAttr == gsOP_EZQU || gWordAttr == gsOP_CREATE ||
                  gWordAttr == gsOP_WRITE;
    gWord = grants ? gsYES : gsNO;
  }
  if (!_pCurrent) return;
  attachComments(new MergerObj(_pCurrent, _nLines, gsTYPE_ACI, gWordAttr, gWord, 'N'));
}

void MergerFile::addFilter(VexToken& token) {
  next(token, gWordAttr);
  gWordAttr.ToUpper();
  next(token, gWord);
  if (!_pCurrent) return;
  attachComments(new MergerObj(_pCurrent, _nLines, gsTYPE_FILTER, gWordAttr, gWord, 'N'));
}

void MergerFile::addValue(VexToken& token) {
  next(token, gWord);
  if (!_pCurrent) return;
  if (!_pCurrentValues) _pCurrentValues = _pCurrent->find(gsTYPE_PROP, gsPROP_VALUES);
  if (!_pCurrentValues) {
    _pCurrentValues = new MergerObj(_pCurrent, _nLines, gsTYPE_PROP, gsPROP_VALUES, gsEMPTY, 'Y');
  }
  attachComments(new MergerObj(_pCurrentValues, _nLines, gsTYPE_VALUE, gWord, gsEMPTY, 'N'));
}
