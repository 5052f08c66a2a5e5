#pragma once

#include <string>
#include <vector>

class MergerFile;
class QuestionLog;

// What each rule of the rule list did in a merge: how many questions it
// decided for the recommendation and for the alternative. A rule that
// decided nothing is stale: its node never raised a question, an earlier
// rule always decided first, or its path is misspelled, in which case a
// path that would match is suggested.
class RuleUsage {
 public:
  struct Entry {
    int number;        // the rule's line in the rule file
    std::string text;  // "KEEP CUSTO //_::alias"
    int recommendation = 0;
    int alternative = 0;
    std::string suggestion;  // a path that matches but for letter case, or ""

    int decided() const { return recommendation + alternative; }
  };

  // One entry per rule of the rule list, in file order, with its counts.
  void count(const QuestionLog& questions);
  // Looks for a better spelling of each stale rule among the nodes of the
  // file its action is about (NEW rules in `neu`, CUSTO rules in `custo`).
  void suggest(const MergerFile& neu, const MergerFile& custo);

  const std::vector<Entry>& entries() const { return _entries; }
  std::vector<const Entry*> stale() const;

 private:
  std::vector<Entry> _entries;
};
