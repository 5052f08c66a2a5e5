#pragma once

#include "framework/VexRawCollPV.h"
#include "rules/RuleProblem.h"
#include "tree/MergerNode.h"

// Rule codes: the action of a rule and the node it is about. An addition
// carries the code of KEEP, so that a KEEP rule also settles an addition.
inline constexpr int gnRuleActionKEEP = 1;
inline constexpr int gnRuleActionIGNORE = 2;
inline constexpr int gnRuleActionADD = 1;
inline constexpr int gnRuleNodeNew = 0;
inline constexpr int gnRuleNodeRef = 0;
inline constexpr int gnRuleNodeCus = 1;

// Splits a path element "type::id" at its first "::". Returns 1 when both
// parts are non-empty, else 0 and leaves `type` and `id` as they were.
int split(const VexUnicodeString& element, VexUnicodeString& type, VexUnicodeString& id);

// One line of the rule file: an action (KEEP or IGNORE) on a node (of the
// NEW default mask or of the CUSTO mask) designated by a path. The rule is
// itself the first element of the path; each further element is a plain
// node chained below the previous one. The rules live in `_lRules`, which
// owns them, in file order: the order in which they are tried.
class MergerRule : public MergerNode {
 public:
  // Builds the rule for the first path element and appends it to `_lRules`.
  MergerRule(int number, int action, int node, const VexUnicodeString& type,
             const VexUnicodeString& id, int any);
  // Does not leave `_lRules`: whoever destroys a rule takes it out first.
  ~MergerRule() override;

  // Parses one line of the rule file. Returns the new rule, already in
  // `_lRules`, or null when the line is rejected (after a warning, except
  // for an empty line or a missing path, which are rejected silently).
  static MergerRule* addRule(const char* line, int number);
  // The same without any warning: why a line is rejected goes to `problem`.
  static MergerRule* parseRule(const char* line, int number, RuleProblem& problem);
  // Destroys every rule and empties `_lRules`.
  static void end();

  // Whether the rule settles the decision (action, node code, mask node).
  int matches(int& action, int& node, const MergerNode* target) const;
  // Tries every rule in order against the recommendation, then the
  // alternative. Returns the first rule that matches either (choice 1 or 2)
  // or null (choice 1). With a null node, returns null and leaves `choice`.
  static MergerRule* checkRule(int action1, int node1, const MergerNode* target1, int action2,
                               int node2, const MergerNode* target2, int& choice);

  int getNumber() const { return _nNumber; }
  int isAny() const { return _nAny; }
  int keep() const { return _nAction == gnRuleActionKEEP ? 1 : 0; }
  int nodeRef() const { return _nNode == gnRuleNodeNew ? 1 : 0; }
  int nodeCusto() const { return _nNode == gnRuleNodeCus ? 1 : 0; }
  MergerNode* last() const { return _pLast; }
  const VexUnicodeString& id() const { return _sId; }

  static VexRawCollPV _lRules;

 private:
  // What the parsing of one line carries from step to step.
  struct Reading {
    int number;
    int action;
    int node;
    RuleProblem& problem;
    bool warnings;  // whether `addRule`'s warnings are printed
  };

  // The rule of the first element, its type and id given as views.
  MergerRule(int number, int action, int node, NodeText::Parts element, int any);
  static MergerRule* readRule(const char* line, int number, RuleProblem& problem, bool warnings);
  static void reject(RuleProblem::Kind kind, std::string_view text, int number,
                     RuleProblem& problem, bool warnings);
  static MergerRule* addAnyDepthRule(std::string_view path, Reading& reading);
  static MergerRule* addAnchoredRule(std::string_view path, Reading& reading);

  int _nNumber;
  int _nAny;
  int _nAction;
  int _nNode;
  MergerNode* _pLast;
  VexUnicodeString _sId;
};
