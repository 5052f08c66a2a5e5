#include "qelmask/diff/MaskFiles.h"

#include <ostream>

#include "maskfile/ParallelParse.h"
#include "qelmask/output/Diagnostics.h"
#include "qelmask/output/NullStream.h"
#include "qelmask/session/InputFile.h"

namespace {

bool onlyBlanks(const std::string& bytes) {
  return bytes.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

class MaskFiles::IgnoredLines : public ReadObserver {
 public:
  void lineIgnored(long, std::string_view, Reason) override { ++count; }
  long count = 0;
};

MaskFiles::MaskFiles(std::vector<std::string> names, bool comments) : _names(std::move(names)) {
  for (size_t i = 0; i < _names.size(); ++i) {
    _files.push_back(std::make_unique<MergerFile>(comments ? 1 : 0));
    _ignored.push_back(std::make_unique<IgnoredLines>());
  }
}

MaskFiles::~MaskFiles() = default;

long MaskFiles::ignoredLines(size_t i) const { return _ignored[i]->count; }

bool MaskFiles::read(Diagnostics& diagnostics) {
  std::vector<std::string> bytes(_names.size());
  std::vector<bool> blank(_names.size());
  bool readable = true;
  for (size_t i = 0; i < _names.size(); ++i) {
    std::string error;
    if (!InputFile::read(_names[i], bytes[i], error)) {
      diagnostics.error(_names[i], error);
      readable = false;
    }
    blank[i] = onlyBlanks(bytes[i]);
  }
  if (!readable) return false;

  std::vector<MergerFile*> files;
  for (size_t i = 0; i < _files.size(); ++i) {
    // The reader's own warnings go nowhere: a file of other bytes would
    // make one for nearly every line.
    _files[i]->setConsole(nullStream());
    _files[i]->setObserver(_ignored[i].get());
    files.push_back(_files[i].get());
  }
  parseAndSortSideBySide(files.data(), bytes.data(), static_cast<int>(files.size()));
  for (size_t i = 0; i < _files.size(); ++i) {
    if (_files[i]->getMaskCount() > 0 || blank[i]) continue;
    diagnostics.error(_names[i], "holds no mask (no *MASK line): not a mask file");
    readable = false;
  }
  return readable;
}
