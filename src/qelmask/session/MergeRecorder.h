#pragma once

#include <vector>

#include "merge/MergeObserver.h"
#include "qelmask/session/QuestionLog.h"

// Watches a merge for qelmask: logs every question, and remembers which
// source nodes reached the output with their comments, so that the
// customer's comments left behind can be found afterwards. A copy costs a
// check of one pointer; only copies of commented nodes and of whole
// subtrees are remembered, appended to a list that is sorted once, when the
// merge is over (`seal`).
class MergeRecorder : public MergeObserver {
 public:
  explicit MergeRecorder(QuestionLog& questions) : _questions(questions) {}

  void nodeCloned(const MergerObj* source, const MergerObj* copy, CloneMode mode) override;
  void questionSettled(const Question& question) override;

  // Readies the look-ups below; call it once the merge is over.
  void seal();
  // Whether `node` was copied active, with its comments (alone or as the
  // top of a subtree).
  bool copied(const MergerObj* node) const;
  // Whether `node` was copied with its whole subtree.
  bool copiedWhole(const MergerObj* node) const;

 private:
  QuestionLog& _questions;
  std::vector<const MergerObj*> _copied;
  std::vector<const MergerObj*> _whole;
};
