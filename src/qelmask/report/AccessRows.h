#pragma once

#include <string>

class AccessChanges;

// The access changes of a merge as JSON text, for `qelmask access --json`
// and the report: one object per changed access line (mask, node,
// operation, before, after, change, cause, decision) and one per changed
// auth field (the same without operation and change). A large upgrade
// changes a hundred thousand lines: the text is written directly, without
// a document tree in between.
namespace AccessRows {
inline constexpr const char* kFormat = "qelmask-access";
inline constexpr int kVersion = 1;

// Appends the JSON arrays of the changed lines and of the changed fields.
// Without `withCause` (the report) the rows name only the decision, since
// the document holds the decisions too; a changed line brought by a node
// version N+1 adds also names the decisions-file line that leaves it out
// (`refuse`, else null).
void appendChanges(std::string& out, const AccessChanges& access, bool withCause);
void appendAuth(std::string& out, const AccessChanges& access, bool withCause);
// The whole document of `qelmask access --json`.
std::string document(const AccessChanges& access);
}  // namespace AccessRows
