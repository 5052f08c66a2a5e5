#include "qelmask/session/MergeRecorder.h"

#include <algorithm>
#include <functional>

#include "tree/MergerObj.h"

void MergeRecorder::nodeCloned(const MergerObj* source, const MergerObj*, CloneMode mode) {
  // A node copied inactive only carries its decision record.
  if (mode == kCloneRecordOnly) return;
  if (mode == kCloneWithSubtree) {
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
