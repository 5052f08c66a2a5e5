#include "tree/DecisionRecord.h"

#include "tree/MergerObj.h"

void DecisionRecord::Option::set(const VexUnicodeString& action, const VexUnicodeString& origin,
                                 const VexUnicodeString& id) {
  _action = _origin = nullptr;
  _node = nullptr;
  _text = action.str();
  _text += ' ';
  _text += origin.str();
  _text += " [";
  _text += id.str();
  _text += ']';
}

void DecisionRecord::Option::set(const VexUnicodeString* action, const VexUnicodeString* origin,
                                 const MergerObj* node) {
  _action = action;
  _origin = origin;
  _node = node;
  _text.clear();
}

void DecisionRecord::Option::appendTo(std::string& out) const {
  if (!_action) {
    out += _text;
    return;
  }
  out += _action->str();
  out += ' ';
  out += _origin->str();
  out += " [";
  if (_node) _node->appendId(out);
  out += ']';
}

void DecisionRecord::setChoice(bool alternative, std::optional<int> ruleNumber) {
  _hasChoice = true;
  _alternative = alternative;
  _ruleNumber = ruleNumber;
  _decisionFile = nullptr;
}

void DecisionRecord::setDecided(bool alternative, const std::string& file, int line) {
  setChoice(alternative, line);
  _decisionFile = &file;
}

void DecisionRecord::appendChoiceTo(std::string& out) const {
  if (!_hasChoice) return;
  out += _alternative ? "ALTERNATIVE" : "RECOMMENDATION";
  if (_decisionFile) {
    out += " [decision ";
    out += *_decisionFile;
    out += ':';
    out += std::to_string(*_ruleNumber);
    out += ']';
  } else if (!_ruleNumber) {
    out += " [no rule matched]";
  } else {
    out += " [rule #";
    out += std::to_string(*_ruleNumber);
    out += ']';
  }
}
