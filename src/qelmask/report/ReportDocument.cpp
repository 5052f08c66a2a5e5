#include "qelmask/report/ReportDocument.h"

#include <nlohmann/json.hpp>
#include <string>

#include "qelmask/report/AccessRows.h"
#include "qelmask/report/DecisionRows.h"
#include "qelmask/report/JsonText.h"
#include "qelmask/session/MergeSession.h"
#include "qelmask/summary/MergeSummary.h"

using Json = nlohmann::ordered_json;

namespace {

Json text(std::string_view bytes) { return Json(JsonText::of(bytes)); }

Json inputsOf(const MergeSession& session) {
  const MergeSession::Names& names = session.names();
  Json inputs = Json::object();
  const char* const roles[3] = {"ref", "new", "custo"};
  for (int i = 0; i < 3; ++i) {
    Json input = Json::object();
    input["name"] = text(session.inputs()[i]->name);
    input["lines"] = session.inputs()[i]->file.getLineCount();
    inputs[roles[i]] = std::move(input);
  }
  inputs["rules"] = names.rules.empty() ? Json(nullptr) : text(names.rules);
  inputs["decisions"] = names.decisions.empty() ? Json(nullptr) : text(names.decisions);
  return inputs;
}

Json lostCommentsOf(const LostComments& lost) {
  Json entries = Json::array();
  for (const LostComments::Entry& comment : lost.entries()) {
    Json entry = Json::object();
    entry["line"] = comment.line;
    entry["text"] = text(comment.text);
    entry["why"] = text(comment.why);
    entries.push_back(std::move(entry));
  }
  return entries;
}

Json lostCustomisationsOf(const LostCustomisations& lost) {
  Json entries = Json::array();
  for (const LostCustomisations::Entry& customisation : lost.entries()) {
    Json entry = Json::object();
    entry["mask"] = text(customisation.mask);
    entry["node"] = text(customisation.node);
    entry["own"] = customisation.own;
    entry["cause"] = text(customisation.cause);
    entry["decision"] = customisation.decision > 0 ? Json(customisation.decision) : Json(nullptr);
    entries.push_back(std::move(entry));
  }
  return entries;
}

Json accessCountsOf(const AccessChanges& access) {
  Json counts = Json::array();
  for (const AccessChanges::MaskCount& count : access.perMask()) {
    Json entry = Json::object();
    entry["mask"] = text(count.mask);
    entry["granted"] = count.granted;
    entry["revoked"] = count.revoked;
    entry["changed"] = count.changed;
    entry["auth"] = count.auth;
    counts.push_back(std::move(entry));
  }
  return counts;
}

// What the decisions file did, and every line of it, so that the page can
// write the file again with the administrator's new choices.
Json decisionsOf(const RecordedDecisions* decisions, const QuestionLog& questions) {
  if (!decisions) return nullptr;
  Json summary = Json::object();
  summary["file"] = text(decisions->file());
  summary["lines"] = decisions->lines().size();
  summary["applied"] = decisions->applied();
  summary["questions"] = questions.countRecorded();
  summary["refused"] = decisions->refusals();
  Json stale = Json::array();
  for (const RecordedDecisions::Stale& entry : decisions->stale()) {
    Json line = Json::object();
    line["line"] = entry.line->line;
    line["text"] = entry.line->text();
    line["why"] = text(entry.why);
    stale.push_back(std::move(line));
  }
  summary["stale"] = std::move(stale);
  Json kept = Json::array();
  for (const DecisionLine& line : decisions->lines()) kept.push_back(line.text());
  summary["kept"] = std::move(kept);
  return summary;
}

Json summaryOf(const MergeSession& session) {
  const QuestionLog& questions = session.questions();
  int byRule = 0;
  for (const RuleUsage::Entry& rule : session.rules().entries()) byRule += rule.decided();
  Json summary = Json::object();
  summary["questions"] = questions.size();
  summary["recommendation"] = questions.countOfChoice(Choice::kRecommendation);
  summary["alternative"] = questions.countOfChoice(Choice::kAlternative);
  summary["byRule"] = byRule;
  summary["noRule"] = questions.size() - byRule - questions.countRecorded();
  summary["kinds"] = ReportDocument::kindsOf(questions);
  summary["staleRules"] = session.rules().stale().size();
  summary["lostComments"] = lostCommentsOf(session.lostComments());
  summary["lostCustomisations"] = lostCustomisationsOf(session.lostCustomisations());
  summary["ignoredLines"] = MergeSummary::ignoredCount(session.inputs());
  int noEffect = 0;
  for (const QuestionLog::Entry& entry : questions.entries()) {
    noEffect += QuestionLog::noEffectOnFile(entry) ? 1 : 0;
  }
  summary["noEffect"] = noEffect;
  summary["access"] = accessCountsOf(session.accessChanges());
  summary["decisions"] = decisionsOf(session.decisions(), questions);
  return summary;
}

Json rulesOf(const RuleUsage& usage) {
  Json rules = Json::array();
  for (const RuleUsage::Entry& rule : usage.entries()) {
    Json entry = Json::object();
    entry["number"] = rule.number;
    entry["text"] = text(rule.text);
    entry["recommendation"] = rule.recommendation;
    entry["alternative"] = rule.alternative;
    entry["decided"] = rule.decided();
    entry["stale"] = rule.decided() == 0;
    entry["suggestion"] = rule.suggestion.empty() ? Json(nullptr) : text(rule.suggestion);
    rules.push_back(std::move(entry));
  }
  return rules;
}

}  // namespace

Json ReportDocument::kindsOf(const QuestionLog& questions) {
  Json kinds = Json::array();
  for (const QuestionKindInfo& kind : questionKinds()) {
    Json entry = Json::object();
    entry["kind"] = kind.name;
    entry["text"] = kind.wording;
    entry["label"] = kind.label;
    entry["count"] = questions.countOfKind(kind.kind);
    entry["withSubtree"] = kind.withSubtree;
    kinds.push_back(std::move(entry));
  }
  return kinds;
}

Json ReportDocument::build(const MergeSession& session) {
  Json document = Json::object();
  document["format"] = kFormat;
  document["version"] = kVersion;
  document["inputs"] = inputsOf(session);
  document["summary"] = summaryOf(session);
  document["rules"] = rulesOf(session.rules());
  Json decisions = Json::array();
  DecisionRows::append(session.questions(), decisions);
  document["decisions"] = std::move(decisions);
  return document;
}

std::string ReportDocument::text(const MergeSession& session) {
  std::string text = build(session).dump();
  // The access changes come last, written as text: a tree of a hundred
  // thousand small objects would cost more than the merge. Their causes
  // are the decisions the document holds.
  text.pop_back();
  text += ",\"accessChanges\":";
  AccessRows::appendChanges(text, session.accessChanges(), false);
  text += ",\"authChanges\":";
  AccessRows::appendAuth(text, session.accessChanges(), false);
  text += '}';
  return text;
}
