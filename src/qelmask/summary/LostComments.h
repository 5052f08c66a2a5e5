#pragma once

#include <string>
#include <vector>

class MergerFile;
class MergeRecorder;
class QuestionLog;
class ReadLog;

// The customer's comment lines that the output does not carry: those the
// reader could attach to no node, and those on nodes the merge left out or
// replaced by version N+1's. Each has its line in the customer file.
class LostComments {
 public:
  struct Entry {
    long line;
    std::string text;
    std::string why;
  };

  // The comments the reader of the customer file dropped. Without
  // `withRecords`, the review records of an earlier merge among them are no
  // comments of the customer's and are passed over.
  void addDropped(const ReadLog& custoLog, bool withRecords);
  // The comments on customer nodes that did not reach the output, at the
  // lines the reader found them.
  void addLeftOut(const MergerFile& custo, const MergeRecorder& recorder,
                  const QuestionLog& questions, bool withRecords);

  // In the order of the customer file.
  const std::vector<Entry>& entries() const;

 private:
  mutable std::vector<Entry> _entries;
  mutable bool _sorted = true;
};
