#pragma once

#include <optional>
#include <string>

#include "framework/VexUnicodeString.h"

class MergerObj;

// What the merge recorded on a node it had to ask about: the recommended
// option, the alternative, and which of them was taken by which rule. The
// review comments of the merged file are written from it.
//
// An option is the action word, the origin word and the identifier of the
// node concerned. The merge gives the node rather than its identifier, and
// the text is composed only when it is read: a question under a long
// identifier then costs a pointer, not a copy of the identifier.
class DecisionRecord {
 public:
  class Option {
   public:
    // The whole text at once.
    void set(const VexUnicodeString& action, const VexUnicodeString& origin,
             const VexUnicodeString& id);
    // The words (which must outlive the record: the merge passes its own
    // constant words) and the node whose identifier completes the text.
    void set(const VexUnicodeString* action, const VexUnicodeString* origin, const MergerObj* node);

    bool empty() const { return !_action && _text.empty(); }
    // Appends "<action> <origin> [<identifier>]".
    void appendTo(std::string& out) const;

    const VexUnicodeString* action() const { return _action; }
    const VexUnicodeString* origin() const { return _origin; }
    const MergerObj* node() const { return _node; }

   private:
    const VexUnicodeString* _action = nullptr;
    const VexUnicodeString* _origin = nullptr;
    const MergerObj* _node = nullptr;
    std::string _text;  // used when the text was given whole
  };

  Option recommendation;
  Option alternative;

  // Which option was taken, and the deciding rule's line when a rule
  // decided.
  void setChoice(bool alternative, std::optional<int> ruleNumber);
  // Which option was taken by the line `line` of a file of recorded
  // decisions; `file` must outlive the record.
  void setDecided(bool alternative, const std::string& file, int line);
  bool hasChoice() const { return _hasChoice; }
  // Appends "ALTERNATIVE [rule #7]", "RECOMMENDATION [no rule matched]",
  // "ALTERNATIVE [decision decisions.txt:12]".
  void appendChoiceTo(std::string& out) const;

 private:
  bool _hasChoice = false;
  bool _alternative = false;
  std::optional<int> _ruleNumber;  // or the line in `_decisionFile`
  const std::string* _decisionFile = nullptr;
};
