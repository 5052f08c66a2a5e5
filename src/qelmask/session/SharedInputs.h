#pragma once

#include <string>
#include <vector>

#include "qelmask/decisions/DecisionLine.h"
#include "qelmask/output/Diagnostics.h"
#include "qelmask/session/MaskInput.h"

// What the merges of a run share, whatever the number of sites: the two
// DEFAULT masks, the rule list and the lines of the decisions file. They
// are read once; the merges then only read them, several at a time when a
// run merges several sites. The rule list lives as long as this object.
class SharedInputs {
 public:
  struct Names {
    std::string ref, neu, rules;  // rules: "" for none
    std::string decisions;        // "" for none
  };

  SharedInputs(Names names, Diagnostics& diagnostics);
  ~SharedInputs();
  SharedInputs(const SharedInputs&) = delete;
  SharedInputs& operator=(const SharedInputs&) = delete;

  // Each step reports its own errors and returns an exit status.
  int loadRules();
  int loadDecisions();
  // REF and NEW, when no site's mask is read with them.
  int readDefaults();

  const Names& names() const { return _names; }
  MaskInput& ref() { return _ref; }
  MaskInput& neu() { return _neu; }
  const MaskInput& ref() const { return _ref; }
  const MaskInput& neu() const { return _neu; }
  // Null when no decisions file was given.
  const std::vector<DecisionLine>* decisionLines() const {
    return _names.decisions.empty() ? nullptr : &_decisionLines;
  }
  // Problems in the rule file (each already reported).
  int ruleProblems() const { return _ruleProblems; }

 private:
  Names _names;
  Diagnostics& _diagnostics;
  MaskInput _ref;
  MaskInput _neu;
  std::vector<DecisionLine> _decisionLines;
  int _ruleProblems = 0;
};
