#include "qelmask/decisions/RecordedDecisions.h"

#include "qelmask/decisions/QuestionPlace.h"
#include "tree/MergerObj.h"

namespace {

std::string nodeKey(std::string_view mask, std::string_view path) {
  std::string key(mask);
  key += '\t';
  key += path;
  return key;
}

std::optional<std::string> valueOf(const MergerObj* node) {
  return node ? std::optional<std::string>(std::string(node->value())) : std::nullopt;
}

std::string shown(const std::optional<std::string>& value) {
  if (!value) return "(absent)";
  return value->empty() ? "(empty)" : *value;
}

}  // namespace

RecordedDecisions::RecordedDecisions(std::string file, std::vector<DecisionLine> lines)
    : _file(std::move(file)), _lines(std::move(lines)) {
  _decisions.reserve(_lines.size());
  for (size_t i = 0; i < _lines.size(); ++i) {
    const DecisionLine& line = _lines[i];
    Choice choice = line.refusal ? Choice::kAlternative : line.choice;
    _decisions.push_back({choice, line.withSubtree, &_file, line.line});
    _byNode[nodeKey(line.mask, line.node)].push_back(i);
  }
  _uses.assign(_lines.size(), 0);
  _seen.resize(_lines.size());
}

std::vector<size_t>* RecordedDecisions::linesOn(std::string_view mask, const std::string& path) {
  auto found = _byNode.find(nodeKey(mask, path));
  return found == _byNode.end() ? nullptr : &found->second;
}

const MergeDecider::Decision* RecordedDecisions::decide(const Question& question) {
  const MergerObj* node = QuestionPlace::nodeOf(question.kind, question.neu, question.custo);
  std::vector<size_t>* lines =
      linesOn(QuestionPlace::maskOf(question.parent), QuestionPlace::pathOf(node));
  if (!lines) return nullptr;
  std::array<std::optional<std::string>, 3> values{valueOf(question.ref), valueOf(question.neu),
                                                   valueOf(question.custo)};
  for (size_t index : *lines) {
    const DecisionLine& line = _lines[index];
    if (line.refusal) continue;
    Seen& seen = _seen[index];
    seen.node = true;
    if (line.kind != question.kind) {
      seen.otherKind = question.kind;
    } else if (line.values == values) {
      ++_uses[index];
      return &_decisions[index];
    } else if (!seen.values) {
      seen.values = values;
    }
  }
  return nullptr;
}

bool RecordedDecisions::refusesBelow(const MergerObj* added, const MergerObj* parent) {
  _refusing = nullptr;
  std::vector<size_t>* lines = linesOn(QuestionPlace::maskOf(parent), QuestionPlace::pathOf(added));
  if (!lines) return false;
  for (size_t index : *lines) {
    if (!_lines[index].refusal) continue;
    _seen[index].node = true;
    _refusing = lines;
  }
  return _refusing != nullptr;
}

const MergeDecider::Decision* RecordedDecisions::refused(const MergerObj* added,
                                                         const MergerObj* inner, const MergerObj*) {
  if (!_refusing) return nullptr;
  std::string below = QuestionPlace::below(added, inner);
  for (size_t index : *_refusing) {
    if (_lines[index].refusal && _lines[index].inner == below) {
      ++_uses[index];
      return &_decisions[index];
    }
  }
  return nullptr;
}

const DecisionLine& RecordedDecisions::lineOf(const Decision& decision) const {
  return _lines[static_cast<size_t>(&decision - _decisions.data())];
}

int RecordedDecisions::applied() const {
  int count = 0;
  for (int uses : _uses) count += uses > 0 ? 1 : 0;
  return count;
}

int RecordedDecisions::refusals() const {
  int count = 0;
  for (size_t i = 0; i < _lines.size(); ++i) count += _lines[i].refusal && _uses[i] > 0 ? 1 : 0;
  return count;
}

std::vector<RecordedDecisions::Stale> RecordedDecisions::stale() const {
  std::vector<Stale> stale;
  for (size_t i = 0; i < _lines.size(); ++i) {
    if (_uses[i] == 0) stale.push_back({&_lines[i], whyStale(i)});
  }
  return stale;
}

std::string RecordedDecisions::whyStale(size_t index) const {
  const DecisionLine& line = _lines[index];
  const Seen& seen = _seen[index];
  if (line.refusal) {
    if (!seen.node) return "version N+1 no longer brings the node, or it is not added";
    return "the node version N+1 brings has no " + line.inner + " below it";
  }
  if (seen.values) {
    static const char* const kVersions[3] = {"REF", "NEW", "CUSTO"};
    std::string why;
    for (size_t i = 0; i < 3; ++i) {
      if (line.values[i] == (*seen.values)[i]) continue;
      if (!why.empty()) why += ", ";
      why += std::string(kVersions[i]) + " value changed from " + shown(line.values[i]) + " to " +
             shown((*seen.values)[i]);
    }
    return why;
  }
  if (seen.otherKind)
    return std::string("the question is now ") + questionKind(*seen.otherKind).name;
  return "the question no longer arises";
}
