#include "qelmask/decisions/RulesFromDecisions.h"

#include <algorithm>
#include <unordered_map>

#include "qelmask/decisions/DecisionText.h"
#include "qelmask/decisions/RulePath.h"
#include "rules/MergerRule.h"
#include "rules/RuleVocabulary.h"

namespace {

using Row = ReportReader::Row;

// A rule the file will hold: an action on one side's node, by its path.
struct Rule {
  int action;  // gnRuleActionKEEP or gnRuleActionIGNORE
  Side side;
  std::optional<std::string> mask;  // the customer's side: the mask it holds in
  const RulePath* path;
  std::string key;  // of the question it is written for

  std::string text() const {
    std::string line(action == gnRuleActionKEEP ? gsRULE_ACTION_KEEP.str()
                                                : gsRULE_ACTION_IGNORE.str());
    line += ' ';
    line += side == Side::kNew ? gsRULE_ACTION_REF.str() : gsRULE_ACTION_CUSTO.str();
    line += ' ';
    line += path->text(mask);
    return line;
  }
};

// "alternative (KEEP CUSTO)".
std::string optionText(QuestionKind kind, Choice choice) {
  return std::string(DecisionLine::optionName(choice)) + " (" +
         questionKind(kind).option(choice).text + ")";
}

// "#12 DEFAULT E::PART/A::V_old (<kind>)": names as the decisions
// file writes them.
std::string questionText(const Row& row) {
  const DecisionLine& question = row.question;
  return row.label() + " " + DecisionText::escape(question.mask) + " " +
         DecisionText::escape(question.node) + " (" + questionKind(question.kind).name + ")";
}

// Puts each decision line in turn to the rules written so far.
class Planner {
 public:
  Planner(const ReportReader::Report& report, const std::map<std::string, DecisionLine>& lines)
      : _rows(report.rows), _lines(lines) {
    index();
  }

  // The lines of the file for the decisions, in key order.
  std::vector<std::string> plan(int& rules, int& notRules);

 private:
  struct Candidate {
    size_t row;
    Choice choice;
  };
  struct Written {
    Rule rule;
    size_t row;
    size_t firstLine;  // in _out: where its "also decides" lines go
  };

  void index();
  void chooseBelow(const DecisionLine& line, size_t row);
  std::vector<size_t> rowsBelow(const DecisionLine& line) const;
  void planLine(const DecisionLine& line);
  void planQuestion(const Candidate& candidate);
  std::optional<Choice> decides(const Rule& rule, size_t row) const;
  std::string conflict(const Rule& rule, const Candidate& candidate) const;
  void write(Rule rule, const Candidate& candidate);
  void notARule(const std::string& what, const std::string& why);
  void tellAlsoDecided();

  const std::vector<Row>& _rows;
  const std::map<std::string, DecisionLine>& _lines;
  std::vector<RulePath> _paths;  // one per row
  std::unordered_map<std::string, std::vector<size_t>> _bySignature, _byKey;
  // The question of each node version N+1 brings, by "MASK	NODE": a refusal
  // leaves something out of it.
  std::unordered_map<std::string, size_t> _addedAt;
  std::vector<std::pair<std::string, size_t>> _byPlace;  // "MASK\tNODE", sorted
  // The option each chosen question is to take, by key; and the row of the
  // line with its subtree that settles it, if one does.
  std::unordered_map<std::string, Choice> _chosen;
  std::unordered_map<std::string, size_t> _inSubtreeOf;
  std::vector<int> _decidedBy;  // per row: the index in _written, or -1
  std::vector<Choice> _decidedAs;
  std::vector<Written> _written;
  std::vector<std::string> _out;
  std::vector<std::vector<std::string>> _after;  // per line of _out: lines to follow it
  int _notRules = 0;
};

void Planner::index() {
  _paths.reserve(_rows.size());
  for (size_t i = 0; i < _rows.size(); ++i) {
    const DecisionLine& question = _rows[i].question;
    _paths.emplace_back(question.node);
    _bySignature[_paths.back().signature()].push_back(i);
    _byKey[_rows[i].key].push_back(i);
    _byPlace.emplace_back(question.mask + '\t' + question.node, i);
    if (question.kind == QuestionKind::kNewInNew)
      _addedAt.emplace(question.mask + '\t' + question.node, i);
  }
  std::sort(_byPlace.begin(), _byPlace.end());
  _decidedBy.assign(_rows.size(), -1);
  _decidedAs.assign(_rows.size(), Choice::kRecommendation);
  for (const auto& [key, line] : _lines) {
    if (!line.refusal && _byKey.count(key)) _chosen[key] = line.choice;
  }
  // A kept node's subtree is settled by its line, before any line of its own.
  for (const auto& [key, line] : _lines) {
    if (auto rows = _byKey.find(key); line.withSubtree && rows != _byKey.end())
      chooseBelow(line, rows->second.front());
  }
}

// The merge hands a kept subtree's choice down before it reads any line of
// the nodes below.
void Planner::chooseBelow(const DecisionLine& line, size_t row) {
  for (size_t below : rowsBelow(line)) {
    _chosen[_rows[below].key] = Choice::kAlternative;
    _inSubtreeOf[_rows[below].key] = row;
  }
}

// The questions the line's subtree settles: of its kind, below its node,
// in its mask; one row a key, in key order.
std::vector<size_t> Planner::rowsBelow(const DecisionLine& line) const {
  std::string prefix = line.mask + '\t' + line.node + '/';
  std::vector<size_t> rows;
  auto at = std::lower_bound(_byPlace.begin(), _byPlace.end(), std::make_pair(prefix, size_t{0}));
  for (; at != _byPlace.end() && at->first.compare(0, prefix.size(), prefix) == 0; ++at) {
    if (_rows[at->second].question.kind == line.kind) rows.push_back(at->second);
  }
  std::sort(rows.begin(), rows.end(),
            [&](size_t a, size_t b) { return _rows[a].key < _rows[b].key; });
  rows.erase(std::unique(rows.begin(), rows.end(),
                         [&](size_t a, size_t b) { return _rows[a].key == _rows[b].key; }),
             rows.end());
  return rows;
}

std::vector<std::string> Planner::plan(int& rules, int& notRules) {
  for (const auto& [key, line] : _lines) planLine(line);
  tellAlsoDecided();
  std::vector<std::string> lines;
  for (size_t i = 0; i < _out.size(); ++i) {
    lines.push_back(_out[i]);
    lines.insert(lines.end(), _after[i].begin(), _after[i].end());
  }
  rules = static_cast<int>(_written.size());
  notRules = _notRules;
  return lines;
}

void Planner::planLine(const DecisionLine& line) {
  std::string fields = DecisionText::escape(line.mask) + " " + DecisionText::escape(line.node);
  if (line.refusal) {
    auto added = _addedAt.find(line.mask + '\t' + line.node);
    std::string number = added == _addedAt.end() ? "" : _rows[added->second].label() + " ";
    notARule(number + fields + " (without " + DecisionText::escape(line.inner) + ")",
             "leaves a node out of a node version N+1 adds, which no rule can");
    return;
  }
  auto rows = _byKey.find(line.key());
  if (rows == _byKey.end()) {
    notARule(fields + " (" + questionKind(line.kind).name + ")", "the report has no such question");
    return;
  }
  size_t row = rows->second.front();
  if (auto subtree = _inSubtreeOf.find(line.key());
      subtree != _inSubtreeOf.end() && line.choice != Choice::kAlternative) {
    notARule(questionText(_rows[row]),
             "the with-subtree line of " + _rows[subtree->second].label() +
                 " settles it first, with the " + optionText(line.kind, Choice::kAlternative));
    return;
  }
  planQuestion({row, line.choice});
  if (!line.withSubtree) return;
  std::vector<size_t> below = rowsBelow(line);
  std::string label = _rows[row].label();
  _out.push_back(below.empty()
                     ? "# with-subtree: the report has no question below " + label +
                           " (make it again with the decisions to see them)"
                     : "# with-subtree: a rule for each question of the report below " + label);
  _after.emplace_back();
  for (size_t inner : below) planQuestion({inner, Choice::kAlternative});
}

void Planner::planQuestion(const Candidate& candidate) {
  const Row& row = _rows[candidate.row];
  if (int by = _decidedBy[candidate.row]; by >= 0) {
    // Already decided the same way: the earlier rule says so.
    if (_decidedAs[candidate.row] == candidate.choice) return;
    notARule(questionText(row), "the rule for " + _rows[_written[by].row].label() +
                                    " decides it first, with the " +
                                    optionText(row.question.kind, _decidedAs[candidate.row]));
    return;
  }
  const QuestionOption& option = questionKind(row.question.kind).option(candidate.choice);
  Rule rule{option.action.ruleCode, option.side, std::nullopt, &_paths[candidate.row], row.key};
  if (option.side == Side::kCusto) rule.mask = row.question.mask;
  if (std::string why = rule.path->whyNot(rule.mask); !why.empty()) {
    notARule(questionText(row), why);
    return;
  }
  if (std::string why = conflict(rule, candidate); !why.empty()) {
    notARule(questionText(row), why);
    return;
  }
  write(std::move(rule), candidate);
}

// Which option of the question of `row` the rule takes, if it matches: the
// merge tries the recommendation first.
std::optional<Choice> Planner::decides(const Rule& rule, size_t row) const {
  const DecisionLine& question = _rows[row].question;
  for (Choice choice : {Choice::kRecommendation, Choice::kAlternative}) {
    const QuestionOption& option = questionKind(question.kind).option(choice);
    if (option.action.ruleCode != rule.action || option.side != rule.side) continue;
    if (rule.mask && question.mask != *rule.mask) continue;
    if (_paths[row].elements() != rule.path->elements()) continue;
    return choice;
  }
  return std::nullopt;
}

// Why the rule cannot be written: it would be the first to decide another
// chosen question, against its choice. "" when it can.
std::string Planner::conflict(const Rule& rule, const Candidate& candidate) const {
  auto same = _bySignature.find(rule.path->signature());
  if (same == _bySignature.end()) return "";
  const Row& own = _rows[candidate.row];
  for (size_t row : same->second) {
    if (_decidedBy[row] >= 0 || _rows[row].key == own.key) continue;
    auto chosen = _chosen.find(_rows[row].key);
    std::optional<Choice> taken = decides(rule, row);
    if (!taken || chosen == _chosen.end() || chosen->second == *taken) continue;
    const Row& other = _rows[row];
    std::string wanted = optionText(other.question.kind, chosen->second);
    if (rule.side == Side::kNew && other.question.kind == own.question.kind)
      return "a rule on version N+1's node decides in every mask, and " + other.label() +
             " in mask " + DecisionText::escape(other.question.mask) + " takes the " + wanted;
    return "its rule would also decide " + questionText(other) + ", which takes the " + wanted;
  }
  return "";
}

void Planner::write(Rule rule, const Candidate& candidate) {
  int index = static_cast<int>(_written.size());
  if (auto same = _bySignature.find(rule.path->signature()); same != _bySignature.end()) {
    for (size_t row : same->second) {
      if (_decidedBy[row] >= 0) continue;
      if (std::optional<Choice> taken = decides(rule, row)) {
        _decidedBy[row] = index;
        _decidedAs[row] = *taken;
      }
    }
  }
  _out.push_back(rule.text());
  _after.emplace_back();
  _written.push_back({std::move(rule), candidate.row, _out.size() - 1});
}

void Planner::notARule(const std::string& what, const std::string& why) {
  _out.push_back("# not a rule: " + what + ": " + why);
  _after.emplace_back();
  ++_notRules;
}

void Planner::tellAlsoDecided() {
  for (size_t row = 0; row < _rows.size(); ++row) {
    int by = _decidedBy[row];
    if (by < 0 || _rows[row].key == _written[by].rule.key) continue;
    _after[_written[by].firstLine].push_back("# also decides " + questionText(_rows[row]) + ": " +
                                             optionText(_rows[row].question.kind, _decidedAs[row]));
  }
}

// A file name or a suggestion in a comment: nothing that would end the line.
std::string commentText(std::string_view text) {
  std::string safe;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    safe += byte < 0x20 || byte == 0x7F ? DecisionText::escape(std::string_view(&c, 1))
                                        : std::string(1, c);
  }
  return safe;
}

}  // namespace

RulesFromDecisions::RulesFromDecisions(const ReportReader::Report& report,
                                       const std::map<std::string, DecisionLine>& lines)
    : _report(report) {
  _lines = Planner(report, lines).plan(_ruleCount, _notRuleCount);
}

std::string RulesFromDecisions::text(const Origin& origin,
                                     const std::optional<std::string>& ruleFile) const {
  std::string text =
      "# Rules written by qelmask decide: the decisions of " + commentText(origin.decisions) +
      " (chosen on the report " + commentText(origin.report) +
      ") as far as rules can take them, then the rule file the report was made with.\n"
      "# A rule decides every question of its path: in one mask on the customer's side, in "
      "every mask on version N+1's.\n"
      "# \"also decides\" names the other questions of the report a rule decides, \"not a "
      "rule\" a decision no rule can take;\n"
      "# masks and paths are written there as in the decisions file.\n";
  for (const std::string& line : _lines) text += line + "\n";
  if (!_report.rulesFile) {
    text += "\n# The report was made without a rule file.\n";
    return text;
  }
  text += "\n# The rule file the report was made with: " + commentText(*_report.rulesFile) + "\n";
  if (ruleFile) appendRuleFile(text, *ruleFile);
  return text;
}

// The file unchanged, each rule that decided nothing in the report marked.
void RulesFromDecisions::appendRuleFile(std::string& text, const std::string& bytes) const {
  std::unordered_map<int, const ReportReader::Rule*> stale;
  for (const ReportReader::Rule& rule : _report.rules) {
    if (rule.stale) stale[rule.number] = &rule;
  }
  int number = 0;
  for (size_t from = 0; from < bytes.size();) {
    size_t feed = bytes.find('\n', from);
    size_t end = feed == std::string::npos ? bytes.size() : feed + 1;
    if (auto found = stale.find(++number); found != stale.end()) {
      text += "# stale: this rule decided nothing in the report";
      if (!found->second->suggestion.empty())
        text += " (did you mean \"" + commentText(found->second->suggestion) + "\"?)";
      text += "\n";
    }
    text.append(bytes, from, end - from);
    from = end;
  }
}
