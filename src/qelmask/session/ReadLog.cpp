#include "qelmask/session/ReadLog.h"

#include <algorithm>

#include "maskfile/WrittenHeader.h"

void ReadLog::lineIgnored(long line, std::string_view text, Reason reason) {
  _entries.push_back({line, std::string(text), reason, false});
}

void ReadLog::commentDropped(long line, std::string_view text, Reason reason) {
  _entries.push_back({line, std::string(text), reason, true});
}

std::vector<const ReadLog::Entry*> ReadLog::reported() const {
  std::vector<const Entry*> entries;
  for (const Entry& entry : _entries) {
    if (!entry.comment || !WrittenHeader::isHeaderLine(entry.text)) entries.push_back(&entry);
  }
  // A dropped comment is told when the line after it is read.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry* a, const Entry* b) { return a->line < b->line; });
  return entries;
}

std::vector<const ReadLog::Entry*> ReadLog::droppedComments() const {
  std::vector<const Entry*> comments;
  for (const Entry* entry : reported()) {
    if (entry->comment) comments.push_back(entry);
  }
  return comments;
}

const char* ReadLog::describe(const Entry& entry) {
  if (entry.comment) {
    switch (entry.reason) {
      case Reason::kEndOfFile:
        return "comment after the last line that makes a node";
      case Reason::kMissingEntity:
        return "comment on an attribute of an entity the mask does not have";
      default:
        return "comment above a line that makes no node";
    }
  }
  switch (entry.reason) {
    case Reason::kUnknownKeyword:
      return "unknown keyword";
    case Reason::kUnknownMask:
      return "names a mask the file does not have";
    case Reason::kMissingEntity:
      return "attribute of an entity the mask does not have";
    case Reason::kNoParent:
      return "no entity or attribute line above it";
    case Reason::kUnderIgnored:
      return "belongs to a line that was ignored";
    default:
      return "ignored";
  }
}
