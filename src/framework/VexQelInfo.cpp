#include "framework/VexQelInfo.h"

#include <cstring>

namespace {

struct CatalogEntry {
  const char* key;
  const char* text;
};

// The texts of the catalog "VexDrnMaskMerger".
constexpr CatalogEntry kMaskMergerCatalog[] = {
    {"LUNMerger_NO_FILE_SPECIFIED", "No file specified"},
    {"LUNMerger_FILE_DOES_NOT_EXIST", "File does not exist"},
    {"LUNMerger_CANNOT_READ_FILE", "Cannot read file"},
    {"LUNMerger_CANNOT_OPEN_FILE", "Cannot open file"},
    {"LUNMerger_INVALID_MERGER_CMD", "Invalid merger command"},
    {"LUNMerger_MERGER_CMD_MISSING_ARG", "Missing argument in merger command"},
};

}  // namespace

void VexQelInfo::Init(const char* catalog, const char* key, long status, const char* parameter,
                      int number) {
  _catalog = catalog;
  _key = key;
  _status = status;
  _parameter = parameter;
  _number = number;
}

VexUnicodeString VexQelInfo::GetMessage() const {
  if (_catalog == "VexDrnMaskMerger") {
    for (const CatalogEntry& entry : kMaskMergerCatalog) {
      if (_key == entry.key) return VexUnicodeString(entry.text);
    }
  }
  return _key;
}

std::vector<VexQelInfo>& VexQelInfo::stack() {
  static std::vector<VexQelInfo> messages;
  return messages;
}

int VexQelInfo::Size() { return static_cast<int>(stack().size()); }

void VexQelInfo::GetInfo(VexQelInfo& info, int i) {
  if (i >= 1 && i <= Size()) info = stack()[i - 1];
}

void VexQelInfo::Push(const VexQelInfo& info) { stack().push_back(info); }

void VexQelInfo::Clear() { stack().clear(); }
