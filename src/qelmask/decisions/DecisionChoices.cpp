#include "qelmask/decisions/DecisionChoices.h"

DecisionChoices::DecisionChoices(const std::vector<DecisionLine>& base,
                                 const std::vector<std::string>& stale)
    : _stale(stale.begin(), stale.end()) {
  for (const DecisionLine& line : base) _lines.insert_or_assign(line.key(), line);
}

DecisionChoices::Change DecisionChoices::take(const DecisionLine& question, Choice choice,
                                              bool withSubtree) {
  DecisionLine line = question;
  line.line = 0;
  line.choice = choice;
  line.withSubtree = withSubtree;
  bool dropped = dropStale(line);
  Change change = put(std::move(line));
  return dropped && change == Change::kAdded ? Change::kReplaced : change;
}

bool DecisionChoices::dropStale(const DecisionLine& line) {
  return std::erase_if(_lines, [&](const auto& entry) {
           const DecisionLine& other = entry.second;
           return !other.refusal && other.mask == line.mask && other.node == line.node &&
                  other.kind == line.kind && _stale.count(other.text()) > 0;
         }) > 0;
}

DecisionChoices::Change DecisionChoices::refuse(const DecisionLine& refusal) {
  DecisionLine line = refusal;
  line.line = 0;
  return put(std::move(line));
}

DecisionChoices::Change DecisionChoices::accept(const DecisionLine& refusal) {
  return _lines.erase(refusal.key()) > 0 ? Change::kRemoved : Change::kNothing;
}

DecisionChoices::Change DecisionChoices::put(DecisionLine line) {
  std::string key = line.key();
  auto found = _lines.find(key);
  if (found == _lines.end()) {
    _lines.emplace(std::move(key), std::move(line));
    return Change::kAdded;
  }
  bool same = found->second.text() == line.text();
  found->second = std::move(line);
  return same ? Change::kUnchanged : Change::kReplaced;
}

std::vector<std::string> DecisionChoices::texts() const {
  std::vector<std::string> texts;
  texts.reserve(_lines.size());
  for (const auto& [key, line] : _lines) texts.push_back(line.text());
  return texts;
}
