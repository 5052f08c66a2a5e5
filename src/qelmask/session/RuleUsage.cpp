#include "qelmask/session/RuleUsage.h"

#include <unordered_map>

#include "qelmask/session/QuestionLog.h"
#include "qelmask/session/RuleSpelling.h"
#include "rules/MergerRule.h"

namespace {

std::string ruleText(const MergerRule& rule) {
  return std::string(rule.keep() ? "KEEP" : "IGNORE") + (rule.nodeCusto() ? " CUSTO " : " NEW ") +
         rule.id().str();
}

const MergerRule* ruleAt(int i) { return static_cast<const MergerRule*>(MergerRule::_lRules[i]); }

}  // namespace

void RuleUsage::count(const QuestionLog& questions) {
  _entries.clear();
  std::unordered_map<int, size_t> byNumber;
  for (int i = 1; i <= MergerRule::_lRules.Size(); ++i) {
    const MergerRule* rule = ruleAt(i);
    if (!rule) continue;
    byNumber.emplace(rule->getNumber(), _entries.size());
    _entries.push_back({rule->getNumber(), ruleText(*rule), 0, 0, {}});
  }
  for (const QuestionLog::Entry& question : questions.entries()) {
    if (!question.rule) continue;
    auto found = byNumber.find(*question.rule);
    if (found == byNumber.end()) continue;
    Entry& entry = _entries[found->second];
    ++(question.choice == Choice::kAlternative ? entry.alternative : entry.recommendation);
  }
}

void RuleUsage::suggest(const MergerFile& neu, const MergerFile& custo) {
  size_t next = 0;
  for (int i = 1; i <= MergerRule::_lRules.Size(); ++i) {
    const MergerRule* rule = ruleAt(i);
    if (!rule) continue;
    if (next >= _entries.size()) break;
    Entry& entry = _entries[next++];
    if (entry.decided() == 0)
      entry.suggestion = RuleSpelling::suggest(*rule, rule->nodeCusto() ? custo : neu);
  }
}

std::vector<const RuleUsage::Entry*> RuleUsage::stale() const {
  std::vector<const Entry*> stale;
  for (const Entry& entry : _entries) {
    if (entry.decided() == 0) stale.push_back(&entry);
  }
  return stale;
}
