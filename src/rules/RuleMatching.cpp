#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "rules/MergerRule.h"
#include "tree/MergerObj.h"

static VexQelTrace gTraceRule("MergerRule", "MergerRule", "STDOUT", 1024, VexTraDefault);

int MergerRule::matches(int& action, int& node, const MergerNode* target) const {
  if (!target || !_pLast) return 0;
  VexQelTraceStep step(&gTraceRule, "MergerRule::matches");
  if (gTraceRule.IsActive()) {
    VexUnicodeString id;
    static_cast<const MergerObj*>(target)->getId(id);
    gTraceRule << "Node[" << (node == 0 ? "REF" : "CUSTO") << "]: " << id << "\n";
  }
  if (action != _nAction) {
    gTraceRule << "==> *** Not the same action - Ignore\n";
    return 0;
  }
  if (node != _nNode) {
    gTraceRule << "==> *** Not the same node type - Ignore\n";
    return 0;
  }
  // Walk up the rule's path and the node's ancestry together.
  const MergerNode* r = _pLast;
  const MergerNode* p = target;
  while (r && p) {
    if (MergerNode::compareNode(r, p, 1) != 0) {
      gTraceRule << "==> *** does not match rule - Ignore\n";
      return 0;
    }
    r = r->getParent();
    p = p->getParent();
  }
  if (!r) {
    // An anchored path must end at the mask or right below it.
    if (!p || !p->getParent()) {
      gTraceRule << "==> matches rule\n";
      return 1;
    }
    if (_nAny) {
      gTraceRule << "==> matches rule (ANY)\n";
      return 1;
    }
  }
  gTraceRule << "==> *** finally, does not match rule - Ignore\n";
  gTraceRule << "pNodeRule: " << static_cast<const void*>(r) << "\n";
  gTraceRule << "pNode    : " << static_cast<const void*>(p);
  if (p) gTraceRule << " " << p->type();
  gTraceRule << "\n";
  gTraceRule << "this     : " << type() << "::" << name() << "\n";
  gTraceRule << "- isAny(): " << _nAny << "\n";
  return 0;
}

MergerRule* MergerRule::checkRule(int action1, int node1, const MergerNode* target1, int action2,
                                  int node2, const MergerNode* target2, int& choice) {
  VexQelTraceStep step(&gTraceRule, "MergerRule::checkRule");
  if (!target1 || !target2) return nullptr;
  int count = _lRules.Size();
  for (int i = 1; i <= count; ++i) {
    auto rule = static_cast<MergerRule*>(_lRules[i]);
    if (!rule) continue;
    if (gTraceRule.IsActive()) {
      gTraceRule << "Rule #" << i << " [line #" << rule->_nNumber << "]:\n";
      gTraceRule << "> " << (rule->_nAction == gnRuleActionKEEP ? "KEEP " : "IGNORE ")
                 << (rule->_nNode == gnRuleNodeNew ? "NEW" : "CUSTO") << " [" << rule->_sId
                 << "]\n";
    }
    if (rule->matches(action1, node1, target1)) {
      gTraceRule << "==> Choice #1 (recommendation)\n";
      choice = 1;
      return rule;
    }
    if (rule->matches(action2, node2, target2)) {
      gTraceRule << "==> Choice #2 (alternative)\n";
      choice = 2;
      return rule;
    }
  }
  gTraceRule << "==> Default choice (recommendation)\n";
  choice = 1;
  return nullptr;
}
