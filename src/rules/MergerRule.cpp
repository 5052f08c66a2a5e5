#include "rules/MergerRule.h"

#include <iostream>
#include <string>

#include "framework/TextCursor.h"
#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "rules/RuleVocabulary.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceRule("MergerRule", "MergerRule", "STDOUT", 1024, VexTraDefault);

VexRawCollPV MergerRule::_lRules(0);

namespace {

// A rule file warning: "Warning [line N]: <message> [<text>]". The text is
// written as it stands, whatever its length or its characters.
void warn(const char* message, int line, std::string_view text) {
  std::cout << "Warning [line " << line << "]: " << message << " [";
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  std::cout << "]\n";
}

// A keyword of the rule file, upper-cased.
VexUnicodeString upperWord(std::string_view word) {
  VexUnicodeString upper(word);
  upper.ToUpper();
  return upper;
}

// Splits "type::id" at its first "::"; false when a part would be empty.
bool splitElement(std::string_view element, std::string_view& type, std::string_view& id) {
  size_t at = element.find(gsRULE_SEP.str());
  if (at == std::string_view::npos || at == 0 || at + 2 == element.size()) return false;
  type = element.substr(0, at);
  id = element.substr(at + 2);
  return true;
}

}  // namespace

int split(const VexUnicodeString& element, VexUnicodeString& type, VexUnicodeString& id) {
  std::string_view typeView, idView;
  if (!splitElement(element.str(), typeView, idView)) return 0;
  type = VexUnicodeString(typeView);
  id = VexUnicodeString(idView);
  return 1;
}

MergerRule::MergerRule(int number, int action, int node, const VexUnicodeString& type,
                       const VexUnicodeString& id, int any)
    : MergerRule(number, action, node, NodeText::Parts{type.str(), id.str(), {}}, any) {}

MergerRule::MergerRule(int number, int action, int node, NodeText::Parts element, int any)
    : MergerNode(nullptr, element),
      _nNumber(number),
      _nAny(any),
      _nAction(action),
      _nNode(node),
      _pLast(nullptr) {
  gTraceRule << "MergerRule(" << element.type << "," << element.name << ") "
             << static_cast<const void*>(this) << "\n";
  _lRules.Append(this);
  _pLast = this;
}

MergerRule::~MergerRule() {
  gTraceRule << "~MergerRule() " << static_cast<const void*>(this) << "\n";
  _pLast = nullptr;
}

MergerRule* MergerRule::addRule(const char* line, int number) {
  RuleProblem problem;
  return readRule(line, number, problem, true);
}

MergerRule* MergerRule::parseRule(const char* line, int number, RuleProblem& problem) {
  return readRule(line, number, problem, false);
}

// A warning goes out where the fault is found: before the trace of the
// rule that a bad element then destroys.
void MergerRule::reject(RuleProblem::Kind kind, std::string_view text, int number,
                        RuleProblem& problem, bool warnings) {
  problem.kind = kind;
  // The text at fault is kept for a caller that reports it itself; the
  // warning writes it from the line, without a copy (it may be very long).
  if (!warnings) {
    problem.text = VexUnicodeString(text);
    return;
  }
  switch (kind) {
    case RuleProblem::kAction:
      warn("Invalid Action keyword", number, text);
      break;
    case RuleProblem::kActionNode:
      warn("Invalid Action Node keyword", number, text);
      break;
    case RuleProblem::kElement:
      warn("Invalid Node", number, text);
      break;
    default:
      break;
  }
}

// The line is cut in place, in views of its own bytes: a line of any length
// costs no copy until a rule is made of it.
MergerRule* MergerRule::readRule(const char* line, int number, RuleProblem& problem,
                                 bool warnings) {
  problem = RuleProblem();
  std::string_view text = line ? std::string_view(line) : std::string_view();
  if (text.empty()) {
    problem.kind = RuleProblem::kEmpty;
    return nullptr;
  }
  VexQelTraceStep step(&gTraceRule, "MergerRule::addRule");
  TextCursor words(text);

  VexUnicodeString word = upperWord(words.nextWord());
  int action = word == gsRULE_ACTION_KEEP     ? gnRuleActionKEEP
               : word == gsRULE_ACTION_IGNORE ? gnRuleActionIGNORE
                                              : 0;
  if (!action) {
    reject(RuleProblem::kAction, word.str(), number, problem, warnings);
    return nullptr;
  }
  word = upperWord(words.nextWord());
  int node = word == gsRULE_ACTION_REF     ? gnRuleNodeNew
             : word == gsRULE_ACTION_CUSTO ? gnRuleNodeCus
                                           : -1;
  if (node < 0) {
    reject(RuleProblem::kActionNode, word.str(), number, problem, warnings);
    return nullptr;
  }

  std::string_view path = words.nextWord();
  Reading reading{number, action, node, problem, warnings};
  MergerRule* rule = path.substr(0, 2) == gsRULE_ANY.str() ? addAnyDepthRule(path, reading)
                                                           : addAnchoredRule(path, reading);
  if (rule) rule->_sId = VexUnicodeString(path);
  return rule;
}

// "//type::id": only the element after the "//" is read; the rule then
// stands for such a node at any depth.
MergerRule* MergerRule::addAnyDepthRule(std::string_view path, Reading& reading) {
  std::string_view rest = path.substr(2);
  std::string_view element = rest.substr(0, rest.find(gsRULE_SLASH.str()));
  std::string_view type, id;
  if (!splitElement(element, type, id)) {
    reject(RuleProblem::kElement, element, reading.number, reading.problem, reading.warnings);
    return nullptr;
  }
  auto rule = new MergerRule(reading.number, reading.action, reading.node, {type, id, {}}, 1);
  gTraceRule << "> Info: [ANY] " << type << "::" << id << " at " << static_cast<const void*>(rule)
             << "\n";
  return rule;
}

// "type::id/type::id/...": the first element stands right below the mask.
// The walk stops at the first empty piece (the end, or "//" inside).
MergerRule* MergerRule::addAnchoredRule(std::string_view path, Reading& reading) {
  TextCursor pieces(path);
  MergerRule* rule = nullptr;
  for (std::string_view element = pieces.nextPiece(gsRULE_SLASH.str()); !element.empty();
       element = pieces.nextPiece(gsRULE_SLASH.str())) {
    std::string_view type, id;
    if (!splitElement(element, type, id)) {
      reject(RuleProblem::kElement, element, reading.number, reading.problem, reading.warnings);
      // The rule made for the first elements is the last of the list.
      if (rule) {
        _lRules.RemoveLast();
        delete rule;
      }
      return nullptr;
    }
    if (!rule) {
      gTraceRule << "> Rule: [" << element << "] = " << type << "::" << id << "\n";
      rule = new MergerRule(reading.number, reading.action, reading.node, {type, id, {}}, 0);
    } else {
      gTraceRule << "> Node: [" << element << "] = " << type << "::" << id << "\n";
      rule->_pLast = new MergerNode(rule->_pLast, NodeText::Parts{type, id, {}});
    }
  }
  if (!rule) reading.problem.kind = RuleProblem::kNoPath;
  return rule;
}

void MergerRule::end() {
  VexQelTraceStep step(&gTraceRule, "MergerRule::end");
  int count = _lRules.Size();
  for (int i = 1; i <= count; ++i) {
    gTraceRule << "> " << i << "\n";
    delete static_cast<MergerRule*>(_lRules[i]);
  }
  _lRules.RemoveAll(VexCollec::FreeMemory);
}
