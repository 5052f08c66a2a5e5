#pragma once

#include <unordered_set>

#include "merge/MergeObserver.h"
#include "qelmask/QuestionLog.h"

// Watches a merge for qelmask: logs every question, and remembers which
// source nodes reached the output with their comments, so that the
// customer's comments left behind can be found afterwards. A copy costs a
// check of one pointer; only copies of commented nodes and of whole
// subtrees are remembered.
class MergeRecorder : public MergeObserver {
 public:
  explicit MergeRecorder(QuestionLog& questions) : _questions(questions) {}

  void nodeCloned(const MergerObj* source, const MergerObj* copy, int mode) override;
  void questionSettled(const Question& question) override;

  // Whether `node` was copied active, with its comments (alone or as the
  // top of a subtree).
  bool copied(const MergerObj* node) const;
  // Whether `node` was copied with its whole subtree.
  bool copiedWhole(const MergerObj* node) const { return _whole.count(node) != 0; }

 private:
  QuestionLog& _questions;
  std::unordered_set<const MergerObj*> _copied;
  std::unordered_set<const MergerObj*> _whole;
};
