#pragma once

#include <nlohmann/json_fwd.hpp>

#include "qelmask/QuestionLog.h"

// The decisions of a report: one JSON object for each question of the
// merge, in the order the merge settled them, with what a reviewer signs
// off: the node as its review record names it, the kind of question, the
// three versions' values, the option taken and the one left out, the rule
// that decided (or none: the recommendation) and the customer's comment
// lines on the node. Identifiers are built here, for the questions only.
class DecisionRows {
 public:
  // Appends one row per question of `questions` to `rows` (an array). The
  // nodes of the log must still be alive.
  static void append(const QuestionLog& questions, nlohmann::ordered_json& rows);

  // The kind of a question as the report names it: "dropped-by-new",
  // "changed-by-both", "changed-by-new" or "new-in-new".
  static const char* kindName(int kind);
  // The option a question took, as "ACTION ORIGIN" ("IGNORE CUSTO").
  static const char* taken(const QuestionLog::Entry& entry);
};
