#include "qelmask/MergeRecorder.h"

#include <algorithm>
#include <functional>

#include "tree/MergerObj.h"

namespace {
// A node copied alone and inactive only carries its decision record.
constexpr int kRecordOnly = 99;
constexpr int kAlone = 0;
}  // namespace

void MergeRecorder::nodeCloned(const MergerObj* source, const MergerObj*, int mode) {
  if (mode == kRecordOnly) return;
  if (mode != kAlone) {
    _whole.push_back(source);
  } else if (source->getComments()) {
    _copied.push_back(source);
  }
}

void MergeRecorder::questionSettled(const Question& question) { _questions.add(question); }

void MergeRecorder::seal() {
  std::sort(_copied.begin(), _copied.end(), std::less<>());
  std::sort(_whole.begin(), _whole.end(), std::less<>());
}

bool MergeRecorder::copied(const MergerObj* node) const {
  return std::binary_search(_copied.begin(), _copied.end(), node, std::less<>()) ||
         copiedWhole(node);
}

bool MergeRecorder::copiedWhole(const MergerObj* node) const {
  return std::binary_search(_whole.begin(), _whole.end(), node, std::less<>());
}
