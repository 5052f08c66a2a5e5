#include "rules/MergerRule.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "framework/VexToken.h"
#include "rules/RuleVocabulary.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceRule("MergerRule", "MergerRule", "STDOUT", 1024, VexTraDefault);

const int gnRuleActionKEEP = 1;
const int gnRuleActionIGNORE = 2;
const int gnRuleActionADD = 1;
const int gnRuleNodeNew = 0;
const int gnRuleNodeRef = 0;
const int gnRuleNodeCus = 1;

VexRawCollPV MergerRule::_lRules(0);

namespace {

// The rule file warnings: `format` takes the line number and one text. The
// text is an argument, never part of the format, so a "%" in it is printed
// as it stands.
void warn(const char* format, int line, const VexUnicodeString& text) {
  int size = std::snprintf(nullptr, 0, format, line, text.ConvertToChar());
  if (size <= 0) return;
  std::string buffer(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(buffer.data(), buffer.size(), format, line, text.ConvertToChar());
  std::cout.write(buffer.data(), size);
}

}  // namespace

int split(const VexUnicodeString& element, VexUnicodeString& type, VexUnicodeString& id) {
  int length = element.GetLengthInChar();
  int at = element.SearchSubString(gsRULE_SEP, 0, VexSearchForward);
  if (at <= 0 || length == 2 || at == length - 2) return 0;
  type = element.SubString(0, at);
  id = element.SubString(at + 2, length - at - 2);
  return 1;
}

MergerRule::MergerRule(int number, int action, int node, const VexUnicodeString& type,
                       const VexUnicodeString& id, int any)
    : MergerNode(nullptr, type, id, gsEMPTY),
      _nNumber(number),
      _nAny(any),
      _nAction(action),
      _nNode(node),
      _pLast(nullptr) {
  gTraceRule << "MergerRule(" << type << "," << id << ") " << static_cast<const void*>(this)
             << "\n";
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
void MergerRule::reject(RuleProblem::Kind kind, const VexUnicodeString& text, int number,
                        RuleProblem& problem, bool warnings) {
  problem = {kind, text};
  if (!warnings) return;
  switch (kind) {
    case RuleProblem::kAction:
      warn("Warning [line %d]: Invalid Action keyword [%s]\n", number, text);
      break;
    case RuleProblem::kActionNode:
      warn("Warning [line %d]: Invalid Action Node keyword [%s]\n", number, text);
      break;
    case RuleProblem::kElement:
      warn("Warning [line %d]: Invalid Node [%s]\n", number, text);
      break;
    default:
      break;
  }
}

MergerRule* MergerRule::readRule(const char* line, int number, RuleProblem& problem,
                                 bool warnings) {
  problem = RuleProblem();
  VexUnicodeString text(line);
  if (text.GetLengthInChar() == 0) {
    problem.kind = RuleProblem::kEmpty;
    return nullptr;
  }
  VexQelTraceStep step(&gTraceRule, "MergerRule::addRule");
  VexToken token(text);

  VexUnicodeString word = token.GetNextToken();
  word.ToUpper();
  int action = word == gsRULE_ACTION_KEEP     ? gnRuleActionKEEP
               : word == gsRULE_ACTION_IGNORE ? gnRuleActionIGNORE
                                              : 0;
  if (!action) {
    reject(RuleProblem::kAction, word, number, problem, warnings);
    return nullptr;
  }
  word = token.GetNextToken();
  word.ToUpper();
  int node = word == gsRULE_ACTION_REF     ? gnRuleNodeNew
             : word == gsRULE_ACTION_CUSTO ? gnRuleNodeCus
                                           : -1;
  if (node < 0) {
    reject(RuleProblem::kActionNode, word, number, problem, warnings);
    return nullptr;
  }

  VexUnicodeString path = token.GetNextToken();
  MergerRule* rule = path.SubString(0, 2) == gsRULE_ANY
                         ? addAnyDepthRule(path, number, action, node, problem, warnings)
                         : addAnchoredRule(path, number, action, node, problem, warnings);
  if (rule) rule->_sId = path;
  return rule;
}

// "//type::id": only the element after the "//" is read; the rule then
// stands for such a node at any depth.
MergerRule* MergerRule::addAnyDepthRule(const VexUnicodeString& path, int number, int action,
                                        int node, RuleProblem& problem, bool warnings) {
  VexUnicodeString rest = path.SubString(2, path.GetLengthInChar() - 2);
  int slash = rest.SearchSubString(gsRULE_SLASH, 0, VexSearchForward);
  VexUnicodeString element = slash < 0 ? rest : rest.SubString(0, slash);
  VexUnicodeString type, id;
  if (!split(element, type, id)) {
    reject(RuleProblem::kElement, element, number, problem, warnings);
    return nullptr;
  }
  MergerRule* rule = new MergerRule(number, action, node, type, id, 1);
  gTraceRule << "> Info: [ANY] " << type << "::" << id << " at " << static_cast<const void*>(rule)
             << "\n";
  return rule;
}

// "type::id/type::id/...": the first element stands right below the mask.
// The walk stops at the first empty piece (the end, or "//" inside).
MergerRule* MergerRule::addAnchoredRule(const VexUnicodeString& path, int number, int action,
                                        int node, RuleProblem& problem, bool warnings) {
  VexToken pieces(path);
  MergerRule* rule = nullptr;
  for (VexUnicodeString element = pieces.GetNextToken(gsRULE_SLASH); element.GetLengthInChar() > 0;
       element = pieces.GetNextToken(gsRULE_SLASH)) {
    VexUnicodeString type, id;
    if (!split(element, type, id)) {
      reject(RuleProblem::kElement, element, number, problem, warnings);
      // The rule made for the first elements is the last of the list.
      if (rule) {
        _lRules.RemoveLast();
        delete rule;
      }
      return nullptr;
    }
    if (!rule) {
      gTraceRule << "> Rule: [" << element << "] = " << type << "::" << id << "\n";
      rule = new MergerRule(number, action, node, type, id, 0);
    } else {
      gTraceRule << "> Node: [" << element << "] = " << type << "::" << id << "\n";
      rule->_pLast = new MergerNode(rule->_pLast, type, id, gsEMPTY);
    }
  }
  if (!rule) problem.kind = RuleProblem::kNoPath;
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
