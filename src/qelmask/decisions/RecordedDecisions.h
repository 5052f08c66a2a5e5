#pragma once

#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "merge/MergeDecider.h"
#include "qelmask/decisions/DecisionLine.h"

// The lines of a decisions file, put to a merge. A line settles a question
// only in its mask, on its node, of its kind and on the very values it was
// chosen on: anything else leaves the question to the rules, and the line is
// told as no longer applying, with what changed. Nothing is ever applied to
// a question it was not written for.
class RecordedDecisions : public MergeDecider {
 public:
  // `file`: the name the review records give the lines.
  RecordedDecisions(std::string file, std::vector<DecisionLine> lines);

  const Decision* decide(const Question& question) override;
  bool refusesBelow(const MergerObj* added, const MergerObj* parent) override;
  const Decision* refused(const MergerObj* added, const MergerObj* inner,
                          const MergerObj* parent) override;

  struct Stale {
    const DecisionLine* line;
    std::string why;  // "NEW value changed from DRAFT to REVIEW"
  };
  // Once the merge is over: the lines that settled nothing, in file order.
  std::vector<Stale> stale() const;
  // How many lines settled something, and how many of those are refusals.
  int applied() const;
  int refusals() const;

  const std::string& file() const { return _file; }
  // The line a decision of this object came from.
  const DecisionLine& lineOf(const Decision& decision) const;
  const std::vector<DecisionLine>& lines() const { return _lines; }

 private:
  // What the merge met of a line that did not apply.
  struct Seen {
    bool node = false;  // a question on its node, or its added node
    std::optional<QuestionKind> otherKind;
    std::optional<std::array<std::optional<std::string>, 3>> values;
  };

  std::vector<size_t>* linesOn(std::string_view mask, const std::string& path);
  std::string whyStale(size_t index) const;

  std::string _file;
  std::vector<DecisionLine> _lines;
  std::vector<Decision> _decisions;  // one per line, never resized
  std::vector<int> _uses;
  std::vector<Seen> _seen;
  // The lines of each node, by mask and path.
  std::unordered_map<std::string, std::vector<size_t>> _byNode;
  // While a node version N+1 brings is copied: its refusals.
  const std::vector<size_t>* _refusing = nullptr;
};
