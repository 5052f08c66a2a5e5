#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

class MergeSession;
class QuestionLog;

// The data of `qelmask report`, one JSON document for scripts and for the
// page: the format and its version, the inputs, the summary of the merge,
// the rules with what each decided, and the decisions (DecisionRows). The
// manual page qelmask(1) documents every member (REPORT DATA); a member is
// never renamed or removed without a new format version.
namespace ReportDocument {
inline constexpr const char* kFormat = "qelmask-report";
inline constexpr int kVersion = 1;

// The document of a session whose merge is over; its rule list must still
// be loaded and its trees alive.
// Without the access changes, which `text` adds.
nlohmann::ordered_json build(const MergeSession& session);
// Each kind of question, with its words and how many `questions` holds.
nlohmann::ordered_json kindsOf(const QuestionLog& questions);
// The whole document, as JSON text.
std::string text(const MergeSession& session);
}  // namespace ReportDocument
