#pragma once

#include <nlohmann/json_fwd.hpp>

#include "qelmask/session/QuestionLog.h"

// The decisions of a report: one JSON object for each question of the
// merge, in the order the merge settled them, with what a reviewer signs
// off: the node as its review record names it, the kind of question, the
// three versions' values, the option taken and the one left out, the rule
// that decided (or none: the recommendation) and the customer's comment
// lines on the node. Identifiers are built here, for the questions only.
namespace DecisionRows {
// Appends one row per question of `questions` to `rows` (an array). The
// nodes of the log must still be alive.
void append(const QuestionLog& questions, nlohmann::ordered_json& rows);
}  // namespace DecisionRows
