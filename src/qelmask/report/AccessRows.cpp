#include "qelmask/report/AccessRows.h"

#include <functional>
#include <string_view>
#include <thread>
#include <vector>

#include "qelmask/decisions/DecisionLine.h"
#include "qelmask/decisions/QuestionPlace.h"
#include "qelmask/report/JsonText.h"
#include "qelmask/session/QuestionLog.h"
#include "qelmask/summary/AccessChanges.h"
#include "tree/MergerObj.h"

namespace {

void appendMember(std::string& out, const char* name, std::string_view value, bool present) {
  out += '"';
  out += name;
  out += "\":";
  if (present) {
    JsonText::appendQuoted(out, value);
  } else {
    out += "null";
  }
}

// The decisions-file line that leaves `line` out of the node version N+1
// added that brought it, or "" when no such node brought it.
std::string refusalOf(const AccessChanges& access, int decision, const MergerObj* line) {
  if (decision <= 0 || !line) return {};
  const QuestionLog::Entry& question = access.causes().question(decision);
  if (question.kind != QuestionKind::kNewInNew || question.choice != Choice::kRecommendation ||
      !question.created || question.created == line)
    return {};
  return DecisionLine::refusalKey(QuestionPlace::maskOf(question.created),
                                  QuestionPlace::pathOf(question.neu),
                                  QuestionPlace::below(question.created, line));
}

void appendRow(std::string& out, const AccessChanges& access, const AccessChanges::Entry& entry,
               bool withChange, bool withCause) {
  out += '{';
  appendMember(out, "mask", entry.mask->name(), true);
  out += ',';
  appendMember(out, "node", AccessChanges::owner(entry), true);
  if (withChange) {
    out += ',';
    appendMember(out, "operation", AccessChanges::operation(entry), true);
  }
  out += ',';
  appendMember(out, "before", AccessChanges::valueBefore(entry), entry.before != nullptr);
  out += ',';
  appendMember(out, "after", AccessChanges::valueAfter(entry), entry.after != nullptr);
  if (withChange) {
    out += ",\"change\":\"";
    out += AccessChanges::changeName(entry.change);
    out += '"';
  }
  DecisionCause::Cause cause = access.cause(entry);
  if (withCause) {
    out += ',';
    appendMember(out, "cause", cause.text, true);
  }
  out += ",\"decision\":";
  out += cause.decision > 0 ? std::to_string(cause.decision) : "null";
  if (withChange && !withCause) {
    std::string refuse = refusalOf(access, cause.decision, entry.after);
    out += ',';
    appendMember(out, "refuse", refuse, !refuse.empty());
  }
  out += '}';
}

// Below this many changes a second thread costs more than it saves.
constexpr size_t kTwoHalvesFrom = 4096;

void appendRows(std::string& out, const AccessChanges& access,
                const std::vector<AccessChanges::Entry>& entries, bool withChange, bool withCause) {
  auto build = [&](size_t from, size_t to, std::string& into) {
    for (size_t i = from; i < to; ++i) {
      if (i > 0) into += ',';
      appendRow(into, access, entries[i], withChange, withCause);
    }
  };
  out += '[';
  // The rows only read the trees: a large upgrade's are made in two halves
  // side by side, when there are two cores.
  if (entries.size() < kTwoHalvesFrom || std::thread::hardware_concurrency() < 2) {
    build(0, entries.size(), out);
  } else {
    size_t half = entries.size() / 2;
    std::string second;
    std::thread helper(build, half, entries.size(), std::ref(second));
    build(0, half, out);
    helper.join();
    out += second;
  }
  out += ']';
}

}  // namespace

void AccessRows::appendChanges(std::string& out, const AccessChanges& access, bool withCause) {
  appendRows(out, access, access.access(), true, withCause);
}

void AccessRows::appendAuth(std::string& out, const AccessChanges& access, bool withCause) {
  appendRows(out, access, access.auth(), false, withCause);
}

std::string AccessRows::document(const AccessChanges& access) {
  std::string out = "{\"format\":\"";
  out += kFormat;
  out += "\",\"version\":";
  out += std::to_string(kVersion);
  out += ",\"changes\":";
  appendChanges(out, access, true);
  out += ",\"auth\":";
  appendAuth(out, access, true);
  out += '}';
  return out;
}
