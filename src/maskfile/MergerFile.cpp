#include "maskfile/MergerFile.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <thread>

#include "framework/FileStore.h"
#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "maskfile/ErrorReport.h"
#include "maskfile/MaskFileVocabulary.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

MergerFile::MergerFile(int keepComments)
    : _nLines(0),
      _nKeepComments(keepComments),
      _pCurrent(nullptr),
      _pDefault(nullptr),
      _lMasks(0),
      _storage(MaskStorage::create()),
      _pLastEntityMask(nullptr),
      _pLastEntity(nullptr),
      _pCurrentValues(nullptr),
      _bCurrentDetached(false),
      _nMergeThreads(std::max(std::thread::hardware_concurrency(), 1u)),
      _pConsole(&std::cout),
      _pObserver(nullptr) {
  init();
}

MergerFile::~MergerFile() { reset(); }

void MergerFile::init() {
  _nLines = 0;
  _sSeparator = gsCOMMA;
  _sMask = gsDEF_MASK;
  _pCurrent = nullptr;
  _pDefault = nullptr;
  _pCurrentValues = nullptr;
  _bCurrentDetached = false;
}

void MergerFile::reset() {
  // The roots carved from the storage go with it; a root made with `new`
  // and appended from outside is the file's to destroy.
  int count = _lMasks.Size();
  for (int i = 1; i <= count; ++i) {
    MergerObj* mask = getMaskAt(i);
    if (mask && !mask->inStorage()) delete mask;
  }
  _lMasks.RemoveAll(VexCollec::FreeMemory);
  _masksByName.clear();
  _entities.clear();
  _bEntitiesIndexed = true;
  _pLastEntityMask = nullptr;
  _pLastEntity = nullptr;
  _storage = MaskStorage::create();
  init();
}

int MergerFile::openFile(const VexUnicodeString& name, TamLunFileIn& file) {
  if (name.GetLengthInChar() < 1) return RaiseError(1, "LUNMerger_NO_FILE_SPECIFIED", 1);
  FileStore& files = FileStore::current();
  if (!files.exists(name.ConvertToChar())) return RaiseError(2, "LUNMerger_FILE_DOES_NOT_EXIST", 0);
  if (!files.readable(name.ConvertToChar())) return RaiseError(3, "LUNMerger_CANNOT_READ_FILE", 0);
  file.open(name.ConvertToChar());
  if (!file.good()) return RaiseError(4, "LUNMerger_CANNOT_OPEN_FILE", 0);
  return 0;
}

bool MergerFile::openQuietly(const VexUnicodeString& name, TamLunFileIn& file) {
  if (name.GetLengthInChar() < 1) return false;
  FileStore& files = FileStore::current();
  if (!files.exists(name.ConvertToChar()) || !files.readable(name.ConvertToChar())) return false;
  file.open(name.ConvertToChar());
  return file.good();
}

MergerObj* MergerFile::getMask(std::string_view name) const {
  if (name.empty()) return _pDefault;
  auto found = _masksByName.find(name);
  return found == _masksByName.end() ? nullptr : found->second;
}

MergerObj* MergerFile::getMask(const VexUnicodeString& name) const { return getMask(name.str()); }

void MergerFile::appendMask(MergerObj* mask) {
  if (!mask) return;
  _lMasks.Append(mask);
  if (!_pDefault) _pDefault = mask;
  NodeText::Parts text = mask->text();
  if (text.type == gsTYPE_MASK.str()) _masksByName.emplace(text.name, mask);
}

size_t MergerFile::EntityKeyHash::operator()(const EntityKey& key) const {
  return std::hash<std::string_view>()(key.name) ^ (std::hash<const void*>()(key.mask) << 1);
}

MergerObj* MergerFile::findEntity(MergerObj* mask, std::string_view name) {
  if (_pLastEntity && _pLastEntityMask == mask && _pLastEntity->name() == name) return _pLastEntity;
  if (!_bEntitiesIndexed) indexEntities();
  auto found = _entities.find(EntityKey{mask, name});
  if (found == _entities.end()) return nullptr;
  _pLastEntityMask = mask;
  _pLastEntity = found->second;
  return _pLastEntity;
}

void MergerFile::sortMasks(int keepOrder) {
  VexQelTraceStep step(&gTraceMain, "MergerFile::sort");
  if (keepOrder)
    gTraceMain << "INFO: keep order of unsorted nodes"
               << "\n";
  _lMasks.QuickSort(MergerObj::sortObject);
}

// Every entity is a child of its mask, and siblings of one name keep the
// order they were appended in (a sort keeps it too): the first of each name
// is the one the index held.
void MergerFile::indexEntities() {
  for (int i = 1; i <= _lMasks.Size(); ++i) {
    MergerObj* mask = getMaskAt(i);
    if (!mask) continue;
    for (size_t c = 0; c < mask->childCount(); ++c) {
      MergerObj* child = mask->childAt(c);
      if (child && child->type() == gsTYPE_ENTITY.str())
        _entities.emplace(EntityKey{mask, child->name()}, child);
    }
  }
  _bEntitiesIndexed = true;
}

void MergerFile::sort(int keepOrder) {
  sortMasks(keepOrder);
  int count = _lMasks.Size();
  for (int i = 1; i <= count; ++i) {
    MergerObj* mask = getMaskAt(i);
    if (mask) mask->sort(keepOrder);
  }
}
