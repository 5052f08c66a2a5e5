#include "qelmask/summary/LostComments.h"

#include <algorithm>
#include <unordered_map>

#include "maskfile/MergerFile.h"
#include "maskfile/ReviewRecordLines.h"
#include "qelmask/session/MergeRecorder.h"
#include "qelmask/session/QuestionLog.h"
#include "qelmask/session/ReadLog.h"
#include "tree/MergerObj.h"

namespace {

// Whether a copy of a whole subtree took `node` along.
bool underWholeCopy(const MergerObj* node, const MergeRecorder& recorder) {
  for (const MergerObj* at = node; at; at = at->getParentObj()) {
    if (recorder.copiedWhole(at)) return true;
  }
  return false;
}

// The customer nodes whose comments the output lacks, in tree order. Only
// nodes with comments are looked up: most nodes have none.
void findLeftOut(const MergerObj* node, const MergeRecorder& recorder,
                 std::vector<const MergerObj*>& lost) {
  if (node->getComments() && !recorder.copied(node) && !underWholeCopy(node, recorder))
    lost.push_back(node);
  for (size_t i = 0; i < node->childCount(); ++i) {
    if (const MergerObj* child = node->childAt(i)) findLeftOut(child, recorder, lost);
  }
}

std::string idOf(const MergerObj* node) {
  std::string id;
  node->appendId(id);
  return id.empty() ? "the mask " + std::string(node->name()) : id;
}

// Why the node is not in the output: the question it raised, or the one
// that an ancestor raised and that took the node's whole branch with it.
std::string whyLeftOut(
    const MergerObj* node,
    const std::unordered_map<const MergerObj*, const QuestionLog::Entry*>& asked) {
  std::string why = "on " + idOf(node);
  for (const MergerObj* at = node; at; at = at->getParentObj()) {
    auto found = asked.find(at);
    if (found == asked.end()) continue;
    if (at != node) why += ", under " + idOf(at);
    if (QuestionLog::newReplacedCusto(*found->second)) return why + ", replaced by version N+1's";
    if (found->second->kind == QuestionKind::kDroppedByNew)
      return why + ", which version N+1 dropped";
    break;
  }
  return why + ", which is not in the output";
}

// Which of the comment lines (1 to Size) belong to review records, unless
// `withRecords` counts them as comments.
std::vector<bool> recordLines(const VexListValVexUnicodeString& comments, bool withRecords) {
  int size = comments.Size();
  std::vector<bool> records(static_cast<size_t>(size) + 1, false);
  if (withRecords) return records;
  auto at = [&](int k) { return k <= size ? std::string_view(comments[k].str()) : ""; };
  for (int k = 1; k <= size; ++k) {
    int record = ReviewRecordLines::lengthAt(at(k), at(k + 1), at(k + 2));
    for (int r = 0; r < record; ++r)
      records[static_cast<size_t>(k) + static_cast<size_t>(r)] = true;
    if (record > 0) k += record - 1;
  }
  return records;
}

}  // namespace

void LostComments::addDropped(const ReadLog& custoLog, bool withRecords) {
  std::vector<const ReadLog::Entry*> dropped = custoLog.droppedComments();
  // A record's lines follow each other in the file.
  auto textAt = [&](size_t i, long line) {
    return i < dropped.size() && dropped[i]->line == line ? std::string_view(dropped[i]->text)
                                                          : std::string_view();
  };
  for (size_t i = 0; i < dropped.size(); ++i) {
    const ReadLog::Entry* entry = dropped[i];
    int record = withRecords
                     ? 0
                     : ReviewRecordLines::lengthAt(entry->text, textAt(i + 1, entry->line + 1),
                                                   textAt(i + 2, entry->line + 2));
    if (record > 0) {
      i += static_cast<size_t>(record - 1);
      continue;
    }
    _entries.push_back({entry->line, entry->text, ReadLog::describe(*entry)});
  }
  _sorted = false;
}

void LostComments::addLeftOut(const MergerFile& custo, const MergeRecorder& recorder,
                              const QuestionLog& questions, bool withRecords) {
  std::vector<const MergerObj*> lost;
  for (int i = 1; i <= custo.getMaskCount(); ++i) {
    if (const MergerObj* mask = custo.getMaskAt(i)) findLeftOut(mask, recorder, lost);
  }
  if (lost.empty()) return;

  std::unordered_map<const MergerObj*, const QuestionLog::Entry*> asked;
  for (const QuestionLog::Entry& entry : questions.entries()) {
    if (entry.custo) asked.emplace(entry.custo, &entry);
  }
  for (const MergerObj* node : lost) {
    std::string why = whyLeftOut(node, asked);
    const VexListValVexUnicodeString& comments = *node->getComments();
    std::span<const long> lines = node->getCommentLines();
    std::vector<bool> records = recordLines(comments, withRecords);
    for (int k = 1; k <= comments.Size(); ++k) {
      auto at = static_cast<size_t>(k);
      long line = at <= lines.size() ? lines[at - 1] : node->getLine();
      if (!records[at]) _entries.push_back({line, comments[k].str(), why});
    }
  }
  _sorted = false;
}

const std::vector<LostComments::Entry>& LostComments::entries() const {
  if (!_sorted) {
    std::stable_sort(_entries.begin(), _entries.end(),
                     [](const Entry& a, const Entry& b) { return a.line < b.line; });
    _sorted = true;
  }
  return _entries;
}
