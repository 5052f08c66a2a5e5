#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "qelmask/decisions/DecisionLine.h"

// The lines of a decisions file being written: those it starts from (an
// earlier file, or the one the report was made with), with the choices of
// this run put in. One line a key: a new choice replaces the line of the
// same question.
class DecisionChoices {
 public:
  // `stale`: the texts of the lines of `base` that no longer applied when
  // the report was made; a choice on their question takes their place.
  explicit DecisionChoices(const std::vector<DecisionLine>& base,
                           const std::vector<std::string>& stale = {});

  // What one change did to the lines.
  enum class Change { kAdded, kReplaced, kUnchanged, kRemoved, kNothing };

  // Takes `choice` for `question` (a line of the question, whatever its
  // option), with its subtree or not.
  Change take(const DecisionLine& question, Choice choice, bool withSubtree);
  // Adds the refusal line, which leaves an inner node out of a node
  // version N+1 adds.
  Change refuse(const DecisionLine& refusal);
  // Removes the refusal line if there is one: the node is added whole.
  Change accept(const DecisionLine& refusal);

  // The lines, sorted by key.
  const std::map<std::string, DecisionLine>& lines() const { return _lines; }
  // Each line's text, as DecisionsFile::compose takes them.
  std::vector<std::string> texts() const;

 private:
  Change put(DecisionLine line);
  // Drops the stale lines of the question of `line` made on other values.
  bool dropStale(const DecisionLine& line);

  std::map<std::string, DecisionLine> _lines;  // by key
  std::set<std::string> _stale;
};
