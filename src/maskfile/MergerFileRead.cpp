#include <cstring>
#include <iostream>

#include "framework/LineSplitter.h"
#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "maskfile/MaskFileVocabulary.h"
#include "maskfile/MergerFile.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

namespace {

// Upper-cases the ASCII letters of a piece of the line being read, where it
// stands: the reader owns the bytes of the file it reads.
void toUpperInPlace(std::string_view piece) {
  auto text = const_cast<char*>(piece.data());
  for (size_t i = 0; i < piece.size(); ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
  }
}

// The keyword of a line, upper-cased, when it is short enough to be one.
std::string_view upperKeyword(std::string_view word, char (&buffer)[16]) {
  if (word.size() >= sizeof buffer) return {};
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    buffer[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return {buffer, word.size()};
}

// Tabs become blanks and carriage returns go, wherever they stand; then the
// blanks at both ends go. Returns the new end; `begin` moves past blanks.
char* normalise(char*& begin, char* end) {
  auto size = static_cast<size_t>(end - begin);
  if (std::memchr(begin, '\t', size) || std::memchr(begin, '\r', size)) {
    char* out = begin;
    for (char* in = begin; in < end; ++in) {
      char c = *in;
      if (c == '\r') continue;
      *out++ = c == '\t' ? ' ' : c;
    }
    end = out;
  }
  while (begin < end && *begin == ' ') ++begin;
  while (end > begin && end[-1] == ' ') --end;
  return end;
}

}  // namespace

int MergerFile::read(const VexUnicodeString& name) {
  VexQelTraceStep step(&gTraceMain, "MergerFile::read");
  TamLunFileIn file;
  if (openFile(name, file) != 0) return 1;
  std::cout << "Reading: " << name << "\n";
  std::cout.flush();

  parse(file.takeContent());
  reportLineCount();
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

void MergerFile::reportLineCount() {
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
}

void MergerFile::parse(std::string bytes) {
  // About one entity line in 500 bytes: the index then seldom grows.
  _entities.reserve(_entities.size() + bytes.size() / 512);
  forEachLine(bytes.data(), bytes.data() + bytes.size(),
              [this](char* begin, char* end) { handleLine(begin, end); });
  dropComments(ReadObserver::Reason::kEndOfFile);
  decltype(_entities)().swap(_entities);
  _bEntitiesIndexed = false;
}

void MergerFile::oneLine(VexUnicodeString& line) {
  std::string text = line.str();
  handleLine(text.data(), text.data() + text.size());
  // The caller sees the line as the reader cleaned it: comment lines and
  // lines too short to hold anything stay as they were.
  if (line.GetLengthInChar() < 2 || line.str().compare(0, 2, "//") == 0) return;
  text = line.str();
  char* begin = text.data();
  char* end = normalise(begin, begin + text.size());
  line = VexUnicodeString(std::string_view(begin, static_cast<size_t>(end - begin)));
}

void MergerFile::handleLine(char* begin, char* end) {
  ++_nLines;
  if (end - begin < 2) {
    if (end > begin && *begin != ' ' && *begin != '\t' && *begin != '\r' && _pObserver) {
      _sLine.assign(1, *begin);
      ignoreLine(ReadObserver::Reason::kUnknownKeyword);
    }
    return;
  }
  if (begin[0] == '/' && begin[1] == '/') {
    if (_nKeepComments) {
      _lComments.Append(VexUnicodeString(std::string_view(begin, end - begin)));
      _commentLines.push_back(_nLines);
    }
    return;
  }
  end = normalise(begin, end);
  if (begin == end) return;
  // The line as it stands before fields are upper-cased in place.
  if (_pObserver) _sLine.assign(begin, end);

  TextCursor fields(std::string_view(begin, static_cast<size_t>(end - begin)));
  char buffer[16];
  std::string_view keyword = upperKeyword(fields.nextWord(), buffer);
  if (keyword == gsACI.str()) {
    addACI(fields);
  } else if (keyword == gsATTR.str()) {
    addAttr(fields);
  } else if (keyword == gsENTITY.str()) {
    addEntity(fields);
  } else if (keyword == gsVALUE.str()) {
    addValue(fields);
  } else if (keyword == gsFILTER.str()) {
    addFilter(fields);
  } else if (keyword == gsMASK.str()) {
    addMask(fields);
  } else if (keyword == gsSEPARATOR.str()) {
    setSep(fields);
  } else {
    std::string_view line(begin, end - begin);
    console() << "> Warning: line " << _nLines << " ignored [" << line << "]"
              << "\n";
    ignoreLine(ReadObserver::Reason::kUnknownKeyword);
  }
  // Comments belong to the node of the line right after them: any keyword
  // line, whether it made a node or not, ends the pending block.
  dropComments(ReadObserver::Reason::kNoNode);
}

void MergerFile::ignoreLine(ReadObserver::Reason reason) {
  if (_pObserver) _pObserver->lineIgnored(_nLines, _sLine, reason);
}

void MergerFile::dropComments(ReadObserver::Reason reason) {
  if (!_nKeepComments || _lComments.Size() == 0) return;
  if (_pObserver) {
    for (int i = 1; i <= _lComments.Size(); ++i) {
      _pObserver->commentDropped(_commentLines[i - 1], _lComments[i].str(), reason);
    }
  }
  _lComments.RemoveAll(VexCollec::FreeMemory);
  _commentLines.clear();
}

std::string_view MergerFile::next(TextCursor& fields) const {
  return TextCursor::stripBlanks(fields.nextPiece(_sSeparator.str()));
}

int MergerFile::isNull(std::string_view field) {
  return field.empty() || field == gsNULL.str() ? 1 : 0;
}

MergerObj* MergerFile::newNode(MergerObj* parent, std::string_view type, std::string_view name,
                               std::string_view value, char ordered) {
  return MergerObj::create(*_storage, parent, _nLines, type, name, value, ordered);
}

void MergerFile::makeCurrent(MergerObj* node) {
  _pCurrent = node;
  _pCurrentValues = nullptr;
  _bCurrentDetached = !node->getParent();
}

void MergerFile::attachComments(MergerObj* node) {
  if (!_nKeepComments) return;
  // An attribute of a missing entity belongs to no tree: its comments are
  // left out with it.
  if (node == _pCurrent && _bCurrentDetached)
    return dropComments(ReadObserver::Reason::kMissingEntity);
  // Where each comment stood matters to whoever watches the reading (a
  // report of the comments a merge could not carry); a plain merge would
  // only pay for it.
  if (_pObserver) {
    node->takeComments(_lComments, _commentLines);
  } else {
    node->takeComments(_lComments);
    _commentLines.clear();
  }
}

void MergerFile::setSep(TextCursor& fields) {
  std::string_view separator = TextCursor::stripBlanks(fields.nextWord());
  // An empty separator would split nothing: the previous one stays.
  if (!separator.empty()) _sSeparator = VexUnicodeString(separator);
}

void MergerFile::addMask(TextCursor& fields) {
  _sMask = VexUnicodeString(next(fields));
  next(fields);  // a field that is not used
  std::string_view value = next(fields);
  MergerObj* mask = newNode(nullptr, gsTYPE_MASK.str(), _sMask.str(), value);
  appendMask(mask);
  attachComments(mask);
}

void MergerFile::addEntity(TextCursor& fields) {
  std::string_view name = next(fields);
  std::string_view maskName = next(fields);
  toUpperInPlace(maskName);
  MergerObj* mask = getMask(maskName);
  if (!mask) {
    console() << "> Warning: line " << _nLines << " ignored [" << name << "], unknown mask"
              << "\n";
    ignoreLine(ReadObserver::Reason::kUnknownMask);
    return;
  }
  _sEntity = VexUnicodeString(name);
  MergerObj* entity;
  if (_bOwnProperties) {
    entity = MergerObj::createHolding(*_storage, mask, _nLines, gsTYPE_ENTITY.str(), name,
                                      {next(fields), {}, {}, {}, {}, {}});
  } else {
    entity = newNode(mask, gsTYPE_ENTITY.str(), name, {});
    newNode(entity, gsTYPE_PROP.str(), gsPROP_ALIAS.str(), next(fields));
  }
  if (!_bEntitiesIndexed) indexEntities();
  _entities.emplace(EntityKey{mask, entity->name()}, entity);
  makeCurrent(entity);
  attachComments(entity);
}

void MergerFile::addAttr(TextCursor& fields) {
  std::string_view name = next(fields);
  std::string_view where = next(fields);
  TextCursor parts(where);
  std::string_view entityName = parts.nextPiece(gsDOT.str());
  std::string_view maskName = parts.nextPiece(gsDOT.str());
  MergerObj* mask = getMask(maskName);
  if (!mask) {
    console() << "> Warning: line " << _nLines << " ignored [" << where << "], unknown mask["
              << maskName << "]" << entityName << "\n";
    ignoreLine(ReadObserver::Reason::kUnknownMask);
    return;
  }
  // Without its entity the attribute is made all the same, outside any
  // tree: the lines that follow it then find a parent that no file holds.
  MergerObj* entity = findEntity(mask, entityName);
  if (!entity) ignoreLine(ReadObserver::Reason::kMissingEntity);

  auto flag = [&]() {
    std::string_view field = next(fields);
    toUpperInPlace(field);
    return isNull(field) ? gsNO.str() : field;
  };
  std::string_view required = flag();
  std::string_view alias = next(fields);
  std::string_view group = next(fields);
  std::string_view order = next(fields);
  next(fields);  // a field that is not used
  std::string_view auth = flag();
  std::string_view defval = next(fields);
  if (_bOwnProperties) {
    MergerObj* attr = MergerObj::createHolding(*_storage, entity, _nLines, gsTYPE_ATTR.str(), name,
                                               {alias, auth, defval, group, order, required});
    makeCurrent(attr);
    return attachComments(attr);
  }
  MergerObj* attr = newNode(entity, gsTYPE_ATTR.str(), name, {});
  makeCurrent(attr);
  // The six properties, made in the order the tree is sorted in (they all
  // stand for this one line, and their names differ): the sort that
  // follows the reading then finds them in place.
  attr->reserveChildren(8);
  newNode(attr, gsTYPE_PROP.str(), gsPROP_ALIAS.str(), alias);
  newNode(attr, gsTYPE_PROP.str(), gsPROP_AUTH.str(), auth);
  newNode(attr, gsTYPE_PROP.str(), gsPROP_DEFVAL.str(), defval);
  newNode(attr, gsTYPE_PROP.str(), gsPROP_GROUP.str(), group);
  newNode(attr, gsTYPE_PROP.str(), gsPROP_ORDER.str(), order);
  newNode(attr, gsTYPE_PROP.str(), gsPROP_MAND.str(), required);
  attachComments(attr);
}

void MergerFile::addACI(TextCursor& fields) {
  std::string_view operation = next(fields);
  toUpperInPlace(operation);
  std::string_view flag = next(fields);
  toUpperInPlace(flag);
  if (isNull(flag)) {
    bool grants = operation == gsOP_QUERY.str() || operation == gsOP_EZQU.str() ||
                  operation == gsOP_CREATE.str() || operation == gsOP_WRITE.str();
    flag = grants ? gsYES.str() : gsNO.str();
  }
  if (!_pCurrent || _bCurrentDetached) return ignoreLine(orphanReason());
  attachComments(newNode(_pCurrent, gsTYPE_ACI.str(), operation, flag));
}

void MergerFile::addFilter(TextCursor& fields) {
  std::string_view name = next(fields);
  toUpperInPlace(name);
  std::string_view value = next(fields);
  if (!_pCurrent || _bCurrentDetached) return ignoreLine(orphanReason());
  attachComments(newNode(_pCurrent, gsTYPE_FILTER.str(), name, value));
}

void MergerFile::addValue(TextCursor& fields) {
  std::string_view value = next(fields);
  if (!_pCurrent || _bCurrentDetached) return ignoreLine(orphanReason());
  if (!_pCurrentValues)
    _pCurrentValues = _pCurrent->findChild(gsTYPE_PROP.str(), gsPROP_VALUES.str());
  if (!_pCurrentValues) {
    _pCurrentValues = newNode(_pCurrent, gsTYPE_PROP.str(), gsPROP_VALUES.str(), {}, 'Y');
  }
  attachComments(newNode(_pCurrentValues, gsTYPE_VALUE.str(), value, {}));
}
