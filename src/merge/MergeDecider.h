#pragma once

#include <string>

#include "merge/QuestionKind.h"

class MergerObj;

// Choices the administrator recorded beforehand, which settle questions
// before any rule is asked, one mask at a time: a rule about a node of
// version N+1 decides for every mask, a recorded choice for the mask it was
// made in. The merger has none.
class MergeDecider {
 public:
  // A recorded choice, and the line of the file it was read from.
  struct Decision {
    Choice choice;
    // Keeping a node that version N+1 dropped: every question below it is
    // settled the same way, by the same line.
    bool withSubtree;
    const std::string* file;  // outlives the merged mask's writing
    int line;
  };
  struct Question {
    QuestionKind kind;
    const MergerObj* ref;  // the nodes of the question; any may be null
    const MergerObj* neu;
    const MergerObj* custo;
    const MergerObj* parent;  // the node of the result the answer goes under
  };

  virtual ~MergeDecider() = default;
  // The choice recorded for `question`, or null to leave it to the rules.
  virtual const Decision* decide(const Question& question) = 0;
  // Whether a node that version N+1 brings, about to be copied under
  // `parent`, is to be copied without some of the nodes below it.
  virtual bool refusesBelow(const MergerObj* added, const MergerObj* parent) = 0;
  // The choice that leaves out `inner`, a node below `added`, or null.
  virtual const Decision* refused(const MergerObj* added, const MergerObj* inner,
                                  const MergerObj* parent) = 0;
};
