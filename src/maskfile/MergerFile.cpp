#include "maskfile/MergerFile.h"

#include <unistd.h>

#include "app/Console.h"
#include "app/Vocabulary.h"
#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

MergerFile::MergerFile(int keepComments)
    : _nLines(0),
      _nKeepComments(keepComments),
      _pCurrent(nullptr),
      _pDefault(nullptr),
      _lMasks(0),
      _pCurrentValues(nullptr) {
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
}

void MergerFile::reset() {
  int count = _lMasks.Size();
  for (int i = 1; i <= count; ++i) delete getMaskAt(i);
  _lMasks.RemoveAll(VexCollec::FreeMemory);
  _masksByName.clear();
  _entitiesByMask.clear();
  _pDetached.reset();
  init();
}

int MergerFile::openFile(const VexUnicodeString& name, TamLunFileIn& file) {
  if (name.GetLengthInChar() < 1) return RaiseError(1, "LUNMerger_NO_FILE_SPECIFIED", 1);
  if (access(name.ConvertToChar(), F_OK) != 0) {
    return RaiseError(2, "LUNMerger_FILE_DOES_NOT_EXIST", 0);
  }
  if (access(name.ConvertToChar(), R_OK) != 0) {
    return RaiseError(3, "LUNMerger_CANNOT_READ_FILE", 0);
  }
  file.open(name.ConvertToChar());
  if (!file.good()) return RaiseError(4, "LUNMerger_CANNOT_OPEN_FILE", 0);
  return 0;
}

MergerObj* MergerFile::getMask(const VexUnicodeString& name) const {
  if (name.GetLengthInChar() == 0) return _pDefault;
  auto found = _masksByName.find(name.str());
  return found == _masksByName.end() ? nullptr : found->second;
}

void MergerFile::appendMask(MergerObj* mask) {
  if (!mask) return;
  _lMasks.Append(mask);
  if (!_pDefault) _pDefault = mask;
  if (mask->getType() == gsTYPE_MASK) _masksByName.emplace(mask->getName().str(), mask);
}

MergerObj* MergerFile::findEntity(MergerObj* mask, const VexUnicodeString& name) const {
  auto entities = _entitiesByMask.find(mask);
  if (entities == _entitiesByMask.end()) return nullptr;
  auto found = entities->second.find(name.str());
  return found == entities->second.end() ? nullptr : found->second;
}

void MergerFile::sort(int keepOrder) {
  VexQelTraceStep step(&gTraceMain, "MergerFile::sort");
  if (keepOrder)
    gTraceMain << "INFO: keep order of unsorted nodes"
               << "\n";
  _lMasks.QuickSort(MergerObj::sortObject);
  int count = _lMasks.Size();
  for (int i = 1; i <= count; ++i) {
    MergerObj* mask = getMaskAt(i);
    if (mask) mask->sort(keepOrder);
  }
}
