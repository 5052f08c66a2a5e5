#include "qelmask/MergeRecorder.h"

#include "tree/MergerObj.h"

namespace {
// A node copied alone and inactive only carries its decision record.
constexpr int kRecordOnly = 99;
constexpr int kAlone = 0;
}  // namespace

void MergeRecorder::nodeCloned(const MergerObj* source, const MergerObj*, int mode) {
  if (mode == kRecordOnly) return;
  if (mode != kAlone) {
    _whole.insert(source);
  } else if (source->getComments()) {
    _copied.insert(source);
  }
}

void MergeRecorder::questionSettled(const Question& question) { _questions.add(question); }

bool MergeRecorder::copied(const MergerObj* node) const {
  return _copied.count(node) != 0 || _whole.count(node) != 0;
}
