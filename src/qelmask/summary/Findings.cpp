#include "qelmask/summary/Findings.h"

#include <string_view>

#include "qelmask/session/MergeSession.h"
#include "qelmask/summary/MergeSummary.h"

namespace {

constexpr std::array<const char*, Findings::kKinds> kNames = {
    "grant", "revoke",       "lost-customisation", "stale-rule", "stale-decision",
    "swap",  "lost-comment", "ignored-line",       "moved-line"};

}  // namespace

const char* Findings::name(Kind kind) { return kNames[kind]; }

bool Findings::parse(const std::string& list, Selection& kinds, std::string& unknown) {
  kinds.fill(false);
  std::string_view rest = list;
  while (!rest.empty()) {
    size_t comma = rest.find(',');
    std::string_view word = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    bool known = false;
    for (int k = 0; k < kKinds; ++k) {
      if (word == kNames[k]) kinds[k] = known = true;
    }
    if (!known) {
      unknown = word;
      return false;
    }
  }
  return true;
}

Findings Findings::of(const MergeSession& session) {
  Findings findings;
  for (const AccessChanges::MaskCount& mask : session.accessChanges().perMask()) {
    findings._counts[kGrant] += static_cast<size_t>(mask.granted);
    findings._counts[kRevoke] += static_cast<size_t>(mask.revoked);
  }
  findings._counts[kLostCustomisation] = session.lostCustomisations().entries().size();
  findings._counts[kStaleRule] = session.rules().stale().size();
  if (const RecordedDecisions* decisions = session.decisions())
    findings._counts[kStaleDecision] = decisions->stale().size();
  findings._counts[kSwap] = session.swap().swapped ? 1 : 0;
  findings._counts[kLostComment] = session.lostComments().entries().size();
  findings._counts[kIgnoredLine] =
      static_cast<size_t>(MergeSummary::ignoredCount(session.inputs()));
  findings._counts[kMovedLine] = session.movedLines().size();
  return findings;
}

size_t Findings::total() const {
  size_t total = 0;
  for (size_t count : _counts) total += count;
  return total;
}

std::string Findings::failing(const Selection& kinds) const {
  std::string text;
  for (int k = 0; k < kKinds; ++k) {
    if (!kinds[k] || _counts[k] == 0) continue;
    if (!text.empty()) text += ", ";
    text += kNames[k];
    text += ' ';
    text += std::to_string(_counts[k]);
  }
  return text;
}
