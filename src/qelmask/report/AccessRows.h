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
// Without `withCause` the rows name only the decision: a document that
// holds the decisions too says the rest.
void appendChanges(std::string& out, const AccessChanges& access, bool withCause);
void appendAuth(std::string& out, const AccessChanges& access, bool withCause);
// The whole document of `qelmask access --json`.
std::string document(const AccessChanges& access);
}  // namespace AccessRows
