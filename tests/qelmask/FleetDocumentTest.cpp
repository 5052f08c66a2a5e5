// The fleet report: sites' reports turned into fleets of one and combined,
// shards combined into the bytes of one run, what cannot go together
// refused, and a fleet report read back from hostile text.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "ReportJson.h"
#include "framework/TestSupport.h"
#include "qelmask/decisions/ReportReader.h"
#include "qelmask/output/Diagnostics.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/report/FleetDocument.h"
#include "qelmask/report/ReportDocument.h"
#include "qelmask/session/MergeSession.h"
#include "rules/MergerRule.h"

namespace {

using report_json::Json;
using report_json::Question;

const Choice kRec = Choice::kRecommendation;
const Choice kAlt = Choice::kAlternative;

// A question on an attribute of DEFAULT's PART that version N+1 dropped.
Json dropped(const std::string& attribute, Choice choice, std::optional<int> rule = {}) {
  Json row = report_json::row({"DEFAULT", "E::PART/A::" + attribute, QuestionKind::kDroppedByNew,
                               std::string(""), std::nullopt, std::string(""), choice});
  row["rule"] = rule ? Json(*rule) : Json(nullptr);
  return row;
}

// A question on a filter of SITE that version N+1 brought.
Json added(const std::string& filter) {
  return report_json::row({"SITE", "F::" + filter, QuestionKind::kNewInNew, std::nullopt,
                           std::string("ALL"), std::nullopt});
}

Json rule(int number, const std::string& text, int recommendation, int alternative,
          const char* suggestion = nullptr) {
  return {{"number", number},
          {"text", text},
          {"recommendation", recommendation},
          {"alternative", alternative},
          {"decided", recommendation + alternative},
          {"stale", recommendation + alternative == 0},
          {"suggestion", suggestion ? Json(suggestion) : Json(nullptr)}};
}

// The summary of a decisions file of three lines (2, 3 and 5), of which
// `stale` (line, why) no longer applied.
Json decisionsFile(const std::vector<std::pair<int, std::string>>& stale, int questions) {
  const std::vector<std::string> kept = {"SITE\tF::A\twithout\tV::X", "SITE\tF::B\twithout\tV::Y",
                                         "SITE\tF::C\twithout\tV::Z"};
  Json entries = Json::array();
  for (const auto& [line, why] : stale) {
    entries.push_back({{"line", line},
                       {"text", kept[line == 2   ? 0
                                     : line == 3 ? 1
                                                 : 2]},
                       {"why", why}});
  }
  return {{"file", "decisions.txt"},
          {"lines", 3},
          {"applied", 3 - static_cast<int>(stale.size())},
          {"questions", questions},
          {"refused", 3 - static_cast<int>(stale.size())},
          {"stale", entries},
          {"kept", kept}};
}
const std::vector<int> kDecisionLines = {2, 3, 5};

// A site's report as ReportDocument::build writes it, its counts made from
// its rows and rules.
Json siteReport(Json rows, Json rules = Json::array(), Json decisions = nullptr) {
  Json doc = report_json::document(Json::array());
  doc.erase("accessChanges");
  doc.erase("authChanges");
  doc["inputs"]["ref"]["lines"] = 7;
  doc["inputs"]["new"]["lines"] = 6;
  doc["inputs"]["custo"]["lines"] = 15;
  doc["inputs"]["rules"] = rules.empty() ? Json(nullptr) : Json("rules.txt");
  doc["inputs"]["decisions"] = decisions.is_null() ? Json(nullptr) : Json("decisions.txt");
  int alternative = 0, byRule = 0;
  Json kinds = Json::array();
  for (const QuestionKindInfo& kind : questionKinds()) {
    int count = 0;
    for (const Json& row : rows) count += row["kind"] == kind.name ? 1 : 0;
    kinds.push_back({{"kind", kind.name},
                     {"text", kind.wording},
                     {"label", kind.label},
                     {"count", count},
                     {"withSubtree", kind.withSubtree}});
  }
  for (const Json& row : rows) {
    alternative += row["choice"] == "alternative" ? 1 : 0;
    byRule += row["rule"].is_null() ? 0 : 1;
  }
  int staleRules = 0;
  for (const Json& r : rules) staleRules += r["stale"].get<bool>() ? 1 : 0;
  int byDecision = decisions.is_null() ? 0 : decisions["questions"].get<int>();
  int questions = static_cast<int>(rows.size());
  doc["summary"] = {{"questions", questions},
                    {"recommendation", questions - alternative},
                    {"alternative", alternative},
                    {"byRule", byRule},
                    {"noRule", questions - byRule - byDecision},
                    {"kinds", kinds},
                    {"staleRules", staleRules},
                    {"lostComments", Json::array()},
                    {"lostCustomisations", Json::array()},
                    {"ignoredLines", 0},
                    {"noEffect", 0},
                    {"access", Json::array()},
                    {"decisions", std::move(decisions)}};
  doc["rules"] = std::move(rules);
  doc["decisions"] = std::move(rows);
  return doc;
}

Json inputsOf(const Json& report) {
  Json inputs = report["inputs"];
  inputs.erase("custo");
  return inputs;
}

Json combined(const std::vector<Json>& fleets) {
  Json out;
  std::string error;
  EXPECT_TRUE(FleetDocument::combine(fleets, out, error)) << error;
  return out;
}

std::string refusal(const std::vector<Json>& fleets) {
  Json out;
  std::string error;
  EXPECT_FALSE(FleetDocument::combine(fleets, out, error));
  return error;
}

std::string readError(const std::string& text) {
  Json out;
  std::string error;
  EXPECT_FALSE(FleetDocument::read(text, out, error)) << text.substr(0, 200);
  return error;
}

// Each row of a fleet as "attribute-or-filter choice rule: sites".
std::string groupsOf(const Json& fleet) {
  std::string text;
  for (const Json& row : fleet["decisions"]) {
    text += row["path"].get<std::string>() + " " + row["choice"].get<std::string>() + " " +
            row["rule"].dump() + ":";
    for (const Json& site : row["sites"]) {
      text += ' ';
      text += site.get<std::string>();
    }
    text += "\n";
  }
  return text;
}

}  // namespace

TEST(FleetDocument, ASiteAloneKeepsTheMembersOfItsReport) {
  Json report = siteReport(Json::array({dropped("V_old", kAlt, 2), added("SITE")}),
                           Json::array({rule(2, "KEEP CUSTO //A::V_old", 0, 1)}));
  report["summary"]["lostComments"] = {{{"line", 4}, {"text", "// ours"}, {"why", "dropped"}}};
  report["summary"]["access"] = {
      {{"mask", "DEFAULT"}, {"granted", 1}, {"revoked", 2}, {"changed", 0}, {"auth", 3}}};
  Json fleet = FleetDocument::ofSite("a.msk", report);

  std::vector<std::string> members;
  for (const auto& [name, value] : fleet.items()) members.push_back(name);
  EXPECT_EQ(members,
            (std::vector<std::string>{"format", "version", "inputs", "sites", "summary", "rules",
                                      "decisions", "accessChanges", "authChanges"}));
  EXPECT_EQ(fleet["format"], "qelmask-fleet-report");
  EXPECT_EQ(fleet["inputs"], inputsOf(report));
  EXPECT_EQ(fleet["sites"].dump(),
            "[{\"name\":\"a.msk\",\"status\":\"done\",\"reason\":null,\"lines\":15,"
            "\"questions\":2,\"recommendation\":1,\"alternative\":1,\"byRule\":1,"
            "\"byDecision\":0,\"noRule\":1,\"staleRules\":0,\"lostCustomisations\":0,"
            "\"lostComments\":1,\"ignoredLines\":0,\"noEffect\":0,\"access\":[{\"mask\":"
            "\"DEFAULT\",\"granted\":1,\"revoked\":2,\"changed\":0,\"auth\":3}]}]");
  EXPECT_EQ(fleet["summary"]["lostComments"].dump(),
            "[{\"site\":\"a.msk\",\"line\":4,\"text\":\"// ours\",\"why\":\"dropped\"}]");
  EXPECT_EQ(fleet["summary"]["sites"], 1);
  EXPECT_EQ(fleet["summary"]["failed"], 0);
  EXPECT_EQ(fleet["summary"]["groups"], 2);
  EXPECT_EQ(fleet["rules"][0]["sites"], 1);
  ASSERT_EQ(fleet["decisions"].size(), 2u);
  Json row = report["decisions"][0];
  row["sites"] = {"a.msk"};
  EXPECT_EQ(fleet["decisions"][0].dump(), row.dump());
  EXPECT_EQ(fleet["accessChanges"], Json::array());
}

TEST(FleetDocument, GroupsAQuestionAlikeInSeveralSites) {
  Json rules = Json::array({rule(2, "KEEP CUSTO //A::V_old", 0, 1)});
  Json a = siteReport(Json::array({dropped("V_old", kAlt, 2), dropped("V_tmp", kRec), added("SITE"),
                                   added("SITE")}),
                      rules);
  a["decisions"][2]["key"] = nullptr;  // no key: alike with nothing
  Json b =
      siteReport(Json::array({dropped("V_new", kRec), dropped("V_tmp", kRec),
                              dropped("V_old", kRec), dropped("V_old", kAlt, 2), added("SITE")}),
                 rules);
  Json c = siteReport(Json::array({dropped("V_tmp", kRec), dropped("V_new", kRec)}), rules);
  Json fleet = combined({FleetDocument::ofSite("a.msk", a), FleetDocument::ofSite("b.msk", b),
                         FleetDocument::ofSite("c.msk", c)});

  EXPECT_EQ(groupsOf(fleet),
            "E::PART/A::V_old alternative 2: a.msk b.msk\n"
            "E::PART/A::V_tmp recommendation null: a.msk b.msk c.msk\n"
            "F::SITE recommendation null: a.msk\n"
            "F::SITE recommendation null: a.msk b.msk\n"
            "E::PART/A::V_new recommendation null: b.msk c.msk\n"
            "E::PART/A::V_old recommendation null: b.msk\n");
  EXPECT_EQ(fleet["summary"]["groups"], 6);
  EXPECT_TRUE(fleet["decisions"][2]["key"].is_null());
}

TEST(FleetDocument, SumsTheCountsOfItsSites) {
  Json a = siteReport(Json::array({dropped("V_old", kAlt), added("SITE")}));
  a["summary"]["ignoredLines"] = 2;
  a["summary"]["noEffect"] = 1;
  a["summary"]["access"] = {
      {{"mask", "DEFAULT"}, {"granted", 1}, {"revoked", 0}, {"changed", 0}, {"auth", 0}}};
  a["summary"]["lostCustomisations"] = {{{"mask", "DEFAULT"},
                                         {"node", "E::PART/A::V_old"},
                                         {"own", true},
                                         {"cause", "dropped"},
                                         {"decision", nullptr}}};
  Json b = siteReport(Json::array({dropped("V_old", kRec)}));
  b["summary"]["ignoredLines"] = 5;
  b["summary"]["access"] = {
      {{"mask", "SITE"}, {"granted", 0}, {"revoked", 4}, {"changed", 0}, {"auth", 0}},
      {{"mask", "DEFAULT"}, {"granted", 2}, {"revoked", 0}, {"changed", 7}, {"auth", 1}}};
  Json fleet = combined({FleetDocument::ofSite("a.msk", a), FleetDocument::ofSite("b.msk", b)});
  const Json& summary = fleet["summary"];

  std::string counts;
  for (const char* name : {"questions", "recommendation", "alternative", "byRule", "noRule",
                           "staleRules", "ignoredLines", "noEffect", "sites", "failed", "groups"})
    counts += std::string(name) + "=" + summary[name].dump() + " ";
  EXPECT_EQ(counts,
            "questions=3 recommendation=2 alternative=1 byRule=0 noRule=3 staleRules=0 "
            "ignoredLines=7 noEffect=1 sites=2 failed=0 groups=3 ");
  std::string kinds;
  for (const Json& kind : summary["kinds"]) kinds += kind["count"].dump() + " ";
  EXPECT_EQ(kinds, "2 0 0 1 ");
  EXPECT_EQ(summary["access"].dump(),
            "[{\"mask\":\"DEFAULT\",\"granted\":3,\"revoked\":0,\"changed\":7,\"auth\":1},"
            "{\"mask\":\"SITE\",\"granted\":0,\"revoked\":4,\"changed\":0,\"auth\":0}]");
  ASSERT_EQ(summary["lostCustomisations"].size(), 1u);
  EXPECT_EQ(summary["lostCustomisations"][0].begin().key(), "site");
  EXPECT_EQ(summary["lostCustomisations"][0]["site"], "a.msk");
  EXPECT_EQ(fleet["sites"][1]["access"], b["summary"]["access"]);
  EXPECT_TRUE(summary["decisions"].is_null());
}

TEST(FleetDocument, ARuleIsStaleWhenItDecidedNothingInAnySite) {
  auto rules = [](int decided, const char* suggestion) {
    return Json::array({rule(1, "KEEP NEW //A::V_a", decided, 0),
                        rule(2, "KEEP NEW //A::v_b", 0, 0, suggestion),
                        rule(3, "KEEP CUSTO //A::V_c", 0, decided)});
  };
  Json a = siteReport(Json::array(), rules(0, nullptr));
  Json b = siteReport(Json::array(), rules(2, "//A::V_b"));
  Json c = siteReport(Json::array(), rules(1, "//A::V_B"));
  Json fleet = combined({FleetDocument::ofSite("a.msk", a), FleetDocument::ofSite("b.msk", b),
                         FleetDocument::ofSite("c.msk", c)});

  EXPECT_EQ(fleet["rules"].dump(),
            "[{\"number\":1,\"text\":\"KEEP NEW //A::V_a\",\"recommendation\":3,"
            "\"alternative\":0,\"decided\":3,\"stale\":false,\"suggestion\":null,\"sites\":2},"
            "{\"number\":2,\"text\":\"KEEP NEW //A::v_b\",\"recommendation\":0,"
            "\"alternative\":0,\"decided\":0,\"stale\":true,\"suggestion\":\"//A::V_b\","
            "\"sites\":0},"
            "{\"number\":3,\"text\":\"KEEP CUSTO //A::V_c\",\"recommendation\":0,"
            "\"alternative\":3,\"decided\":3,\"stale\":false,\"suggestion\":null,\"sites\":2}]");
  EXPECT_EQ(fleet["summary"]["staleRules"], 1);
  std::string perSite;
  for (const Json& site : fleet["sites"]) perSite += site["staleRules"].dump() + " ";
  EXPECT_EQ(perSite, "3 1 1 ");
}

TEST(FleetDocument, ADecisionIsStaleOnlyWhenStaleInEverySiteThatRan) {
  Json a = siteReport(Json::array(), Json::array(),
                      decisionsFile({{3, "the question no longer arises"}, {5, "NEW changed"}}, 4));
  Json b = siteReport(Json::array(), Json::array(), decisionsFile({{5, "REF changed"}}, 6));
  Json c = siteReport(Json::array(), Json::array(),
                      decisionsFile({{2, "gone"}, {3, "gone"}, {5, "gone"}}, 0));
  Json fleet = combined({FleetDocument::ofSite("a.msk", a, kDecisionLines),
                         FleetDocument::ofFailedSite("x.msk", "cannot read: x.msk", inputsOf(a)),
                         FleetDocument::ofSite("b.msk", b, kDecisionLines),
                         FleetDocument::ofSite("c.msk", c, kDecisionLines)});
  const Json& decisions = fleet["summary"]["decisions"];

  EXPECT_EQ(decisions["applied"], 2);
  EXPECT_EQ(decisions["questions"], 10);
  EXPECT_EQ(decisions["refused"], 3);
  EXPECT_EQ(decisions["stale"].dump(),
            "[{\"line\":5,\"text\":\"SITE\\tF::C\\twithout\\tV::Z\",\"why\":\"NEW changed\"}]");
  EXPECT_EQ(decisions["kept"], a["summary"]["decisions"]["kept"]);
  EXPECT_EQ(decisions["appliedLines"].dump(), "[2,3]");
  EXPECT_EQ(fleet["sites"][0]["byDecision"], 4);
  EXPECT_EQ(fleet["sites"][1]["byDecision"], 0);
}

// Without the lines of the decisions file, those the rows name are all
// a site's report tells of the lines that applied.
TEST(FleetDocument, AppliedLinesComeFromTheRowsWhenTheFileLinesAreNotGiven) {
  Json rows = Json::array({dropped("V_old", kAlt), dropped("V_tmp", kAlt)});
  rows[0]["decision"] = {{"file", "decisions.txt"}, {"line", 3}, {"withSubtree", false}};
  Json report = siteReport(rows, Json::array(), decisionsFile({{5, "gone"}}, 1));
  EXPECT_EQ(FleetDocument::ofSite("a.msk", report)["summary"]["decisions"]["appliedLines"].dump(),
            "[3]");
}

TEST(FleetDocument, AFailedSiteCountsNothingAndHasNoSayOnRulesOrDecisions) {
  Json done = siteReport(Json::array({dropped("V_old", kRec)}),
                         Json::array({rule(1, "KEEP NEW //A::V_a", 0, 0)}),
                         decisionsFile({{2, "gone"}}, 0));
  Json failed = FleetDocument::ofFailedSite("bad.msk", "cannot read: bad.msk; line 3: no mask",
                                            inputsOf(done));
  EXPECT_EQ(failed["sites"].dump(),
            "[{\"name\":\"bad.msk\",\"status\":\"failed\",\"reason\":\"cannot read: bad.msk; "
            "line 3: no mask\",\"lines\":0,\"questions\":0,\"recommendation\":0,"
            "\"alternative\":0,\"byRule\":0,\"byDecision\":0,\"noRule\":0,\"staleRules\":0,"
            "\"lostCustomisations\":0,\"lostComments\":0,\"ignoredLines\":0,\"noEffect\":0,"
            "\"access\":[]}]");
  EXPECT_EQ(failed["rules"], Json::array());
  EXPECT_TRUE(failed["summary"]["decisions"].is_null());
  EXPECT_EQ(failed["summary"]["kinds"].size(), questionKinds().size());

  Json first = combined({failed, FleetDocument::ofSite("a.msk", done, kDecisionLines)});
  Json last = combined({FleetDocument::ofSite("a.msk", done, kDecisionLines), failed});
  EXPECT_EQ(first["summary"]["failed"], 1);
  EXPECT_EQ(first["summary"]["sites"], 2);
  EXPECT_EQ(first["rules"], last["rules"]);
  EXPECT_EQ(first["summary"]["decisions"], last["summary"]["decisions"]);
  EXPECT_EQ(first["summary"]["decisions"]["stale"].size(), 1u);
  EXPECT_EQ(first["summary"]["questions"], 1);
}

// `qelmask report --combine` over shards gives the bytes one run over the
// whole fleet gives, however the sites are cut.
TEST(FleetDocument, ShardsCombinedInOrderGiveTheBytesOfOneRun) {
  Json rules = Json::array({rule(2, "KEEP CUSTO //A::V_old", 0, 1), rule(4, "KEEP NEW X", 0, 0)});
  std::vector<Json> sites;
  const char* const names[] = {"s1.msk", "s2.msk", "s3.msk", "s4.msk", "s5.msk", "s6.msk"};
  for (int i = 0; i < 6; ++i) {
    Json rows = Json::array({dropped("V_" + std::to_string(i % 3), i % 2 ? kAlt : kRec),
                             dropped("V_old", kAlt, 2), added(i % 2 ? "SITE" : "OWNER")});
    Json report = siteReport(rows, rules, decisionsFile({{2 + i % 2, "gone"}, {5, "gone"}}, i % 2));
    report["summary"]["access"] = {{{"mask", i % 2 ? "SITE" : "DEFAULT"},
                                    {"granted", i},
                                    {"revoked", 1},
                                    {"changed", 0},
                                    {"auth", 0}}};
    if (i == 3) {
      sites.push_back(FleetDocument::ofFailedSite(names[i], "cannot read", inputsOf(report)));
    } else {
      sites.push_back(FleetDocument::ofSite(names[i], report, kDecisionLines));
    }
  }
  std::string whole = combined(sites).dump();
  // Each shard goes through its file and back, as --combine reads it.
  auto shard = [&](std::ptrdiff_t from, std::ptrdiff_t to) {
    std::vector<Json> part(sites.begin() + from, sites.begin() + to);
    Json read;
    std::string error;
    EXPECT_TRUE(FleetDocument::read(combined(part).dump(2), read, error)) << error;
    return read;
  };
  EXPECT_EQ(combined({shard(0, 2), shard(2, 6)}).dump(), whole);
  EXPECT_EQ(combined({shard(0, 1), shard(1, 4), shard(4, 6)}).dump(), whole);
  EXPECT_EQ(combined({combined({shard(0, 3), shard(3, 5)}), shard(5, 6)}).dump(), whole);
  EXPECT_EQ(combined({shard(0, 3), combined({shard(3, 5), shard(5, 6)})}).dump(), whole);
  EXPECT_EQ(combined({combined(sites)}).dump(), whole);
  EXPECT_EQ(combined({sites[0]}).dump(), sites[0].dump());
}

TEST(FleetDocument, RefusesWhatCannotGoTogether) {
  Json rules = Json::array({rule(1, "KEEP NEW //A::V_a", 1, 0)});
  Json report = siteReport(Json::array(), rules);
  Json a = FleetDocument::ofSite("a.msk", report);
  Json b = FleetDocument::ofSite("b.msk", report);
  auto changed = [&](const std::function<void(Json&)>& change) {
    Json changed = report;
    change(changed);
    return FleetDocument::ofSite("b.msk", changed, kDecisionLines);
  };
  Json otherVersion = b;
  otherVersion["version"] = 2;
  const std::pair<std::vector<Json>, std::string> cases[] = {
      {{}, "no fleet report to combine"},
      {{a, report},
       "document 2 is no fleet report (format \"qelmask-report\", expected "
       "\"qelmask-fleet-report\")"},
      {{Json::array()},
       "document 1 is no fleet report (no member \"format\", expected \"qelmask-fleet-report\")"},
      {{a, otherVersion},
       "document 2 (first site \"b.msk\") is a fleet report of another version (2): this "
       "qelmask combines version 1"},
      {{a, b, a},
       "site \"a.msk\" is in document 1 (first site \"a.msk\") and in document 3 "
       "(first site \"a.msk\")"},
      {{a, changed([](Json& r) { r["rules"][0]["text"] = "KEEP CUSTO //A::V_a"; })},
       "document 2 (first site \"b.msk\") was made with other rules than document 1 (first site "
       "\"a.msk\"): rules[0] is rule 1 \"KEEP CUSTO //A::V_a\" there, rule 1 \"KEEP NEW "
       "//A::V_a\""},
      {{a, changed([](Json& r) { r["rules"][0]["number"] = 3; })},
       "document 2 (first site \"b.msk\") was made with other rules than document 1 (first site "
       "\"a.msk\"): rules[0] is rule 3 \"KEEP NEW //A::V_a\" there, rule 1 \"KEEP NEW "
       "//A::V_a\""},
      {{a, changed([](Json& r) { r["rules"] = Json::array(); })},
       "document 2 (first site \"b.msk\") was made with other rules than document 1 (first site "
       "\"a.msk\"): 0 rules there, 1 in document 1 (first site \"a.msk\")"},
      {{a, changed([](Json& r) { r["inputs"]["ref"]["lines"] = 8; })},
       "document 2 (first site \"b.msk\") was made with another REF than document 1: "
       "inputs.ref.lines is 8 there, 7 in document 1"},
      {{a, changed([](Json& r) { r["inputs"]["new"]["lines"] = 5; })},
       "document 2 (first site \"b.msk\") was made with another NEW than document 1: "
       "inputs.new.lines is 5 there, 6 in document 1"},
      {{a, changed([](Json& r) { r["summary"]["decisions"] = decisionsFile({}, 0); })},
       "document 2 (first site \"b.msk\") was made with a decisions file, document 1 (first site "
       "\"a.msk\") without"},
      {{changed([](Json& r) { r["summary"]["decisions"] = decisionsFile({}, 0); }), a},
       "document 2 (first site \"a.msk\") was made without a decisions file, document 1 (first "
       "site \"b.msk\") with one"},
      {{a, changed([](Json& r) { r["summary"]["kinds"].erase(0); })},
       "document 2 (first site \"b.msk\"): member \"summary.kinds\" does not list the kinds of "
       "question document 1 (first site \"a.msk\") lists"},
      {{a, changed([](Json& r) { r["summary"]["kinds"][1]["label"] = "other"; })},
       "document 2 (first site \"b.msk\"): member \"summary.kinds\" does not list the kinds of "
       "question document 1 (first site \"a.msk\") lists"},
  };
  for (const auto& [fleets, message] : cases) EXPECT_EQ(refusal(fleets), message);

  Json withFile = FleetDocument::ofSite(
      "c.msk", siteReport(Json::array(), rules, decisionsFile({}, 0)), kDecisionLines);
  Json otherFile = changed([](Json& r) {
    r["summary"]["decisions"] = decisionsFile({}, 0);
    r["summary"]["decisions"]["kept"][1] = "SITE\tF::B\twithout\tV::W";
  });
  EXPECT_EQ(refusal({withFile, otherFile}),
            "document 2 (first site \"b.msk\") was made with another decisions file than "
            "document 1 (first site \"c.msk\"): member \"summary.decisions.kept\" differs");
}

TEST(FleetDocument, ReadRefusesHostileJson) {
  Json rows = Json::array({dropped("V_old", kAlt, 2)});
  Json report = siteReport(rows, Json::array({rule(2, "KEEP CUSTO //A::V_old", 0, 1)}),
                           decisionsFile({{5, "gone"}}, 0));
  report["summary"]["access"] = {
      {{"mask", "DEFAULT"}, {"granted", 1}, {"revoked", 0}, {"changed", 0}, {"auth", 0}}};
  report["summary"]["lostComments"] = {{{"line", 4}, {"text", "// ours"}, {"why", "dropped"}}};
  const Json fleet = combined({FleetDocument::ofSite("a.msk", report, kDecisionLines),
                               FleetDocument::ofSite("b.msk", report, kDecisionLines)});
  Json read;
  std::string error;
  ASSERT_TRUE(FleetDocument::read(fleet.dump(), read, error)) << error;
  EXPECT_EQ(read.dump(), fleet.dump());

  auto changed = [&](const std::function<void(Json&)>& change) {
    Json doc = fleet;
    change(doc);
    return readError(doc.dump());
  };
  EXPECT_EQ(readError(""), "not JSON: a syntax error at line 1, column 1");
  EXPECT_EQ(readError("{\"format\": 1e999}"),
            "not JSON this qelmask can read: a number out of range");
  EXPECT_EQ(readError(std::string(100000, '[') + std::string(100000, ']')),
            "not a fleet report of qelmask: nested deeper than 64 levels");
  EXPECT_EQ(readError(Json(std::string(100, '[')).dump()),
            "not a fleet report of qelmask (no member \"format\")");
  // A site's own report is a shard of one site, named after its mask; one
  // that lacks what that takes is refused.
  Json shard;
  std::string shardError;
  ASSERT_TRUE(FleetDocument::read(report.dump(), shard, shardError)) << shardError;
  EXPECT_EQ(shard["sites"].size(), 1u);
  EXPECT_EQ(shard["sites"][0]["name"], "custo");
  Json headless = report;
  headless["inputs"].erase("custo");
  EXPECT_EQ(readError(headless.dump()).rfind("a report of one site this qelmask cannot take: ", 0),
            0u);
  const std::pair<std::function<void(Json&)>, const char*> cases[] = {
      {[](Json& d) { d["version"] = 2; },
       "fleet report version 2: this qelmask reads version 1 (make the report again with it)"},
      {[](Json& d) { d["version"] = "1"; },
       "fleet report version \"1\": this qelmask reads version 1 (make the report again with it)"},
      {[](Json& d) { d["inputs"]["ref"]["lines"] = -1; },
       "member \"inputs.ref.lines\" is out of range"},
      {[](Json& d) { d["inputs"]["new"]["lines"] = 1e300; },
       "member \"inputs.new.lines\" is a number, expected a whole number"},
      {[](Json& d) { d["inputs"]["new"]["lines"] = 18446744073709551615ULL; },
       "member \"inputs.new.lines\" is out of range"},
      {[](Json& d) { d["inputs"].erase("decisions"); }, "member \"inputs.decisions\" is missing"},
      {[](Json& d) { d["sites"] = Json::object(); },
       "member \"sites\" is an object, expected an array"},
      {[](Json& d) { d["sites"][1]["name"] = "a.msk"; },
       "member \"sites[1].name\": site \"a.msk\" is listed twice"},
      {[](Json& d) { d["sites"][1]["name"] = ""; }, "member \"sites[1].name\" is empty"},
      {[](Json& d) { d["sites"][0]["status"] = "maybe"; },
       "member \"sites[0].status\" is neither done nor failed"},
      {[](Json& d) { d["sites"][0]["reason"] = false; },
       "member \"sites[0].reason\" is false, expected a string or null"},
      {[](Json& d) { d["sites"][1]["access"][0] = 3; },
       "member \"sites[1].access[0]\" is a number, expected an object"},
      {[](Json& d) { d["summary"]["kinds"][3]["withSubtree"] = "yes"; },
       "member \"summary.kinds[3].withSubtree\" is a string, expected true or false"},
      {[](Json& d) { d["summary"]["lostComments"][1].erase("site"); },
       "member \"summary.lostComments[1].site\" is missing"},
      {[](Json& d) { d["summary"]["access"][0]["auth"] = nullptr; },
       "member \"summary.access[0].auth\" is null, expected a whole number"},
      {[](Json& d) { d["summary"]["decisions"] = Json::array(); },
       "member \"summary.decisions\" is an array, expected an object or null"},
      {[](Json& d) { d["summary"]["decisions"]["appliedLines"][0] = "2"; },
       "member \"summary.decisions.appliedLines[0]\" is a string, expected a whole number"},
      {[](Json& d) { d["summary"]["decisions"]["stale"][0]["line"] = 5.5; },
       "member \"summary.decisions.stale[0].line\" is a number, expected a whole number"},
      {[](Json& d) { d["summary"]["decisions"]["kept"][2] = Json::object(); },
       "member \"summary.decisions.kept[2]\" is an object, expected a string"},
      {[](Json& d) { d["rules"][0]["suggestion"] = 1; },
       "member \"rules[0].suggestion\" is a number, expected a string or null"},
      {[](Json& d) { d["rules"][0].erase("sites"); }, "member \"rules[0].sites\" is missing"},
      {[](Json& d) { d["decisions"][0].erase("key"); }, "member \"decisions[0].key\" is missing"},
      {[](Json& d) { d["decisions"][0]["rule"] = "2"; },
       "member \"decisions[0].rule\" is a string, expected a whole number"},
      {[](Json& d) { d["decisions"][0]["sites"] = {"z.msk"}; },
       "member \"decisions[0].sites[0]\" is no site of the report"},
      {[](Json& d) {
         d["decisions"][0]["sites"] = {"b.msk", "a.msk"};
       },
       "member \"decisions[0].sites[1]\" is out of the order of the sites"},
      {[](Json& d) {
         d["decisions"][0]["sites"] = {"a.msk", "a.msk"};
       },
       "member \"decisions[0].sites[1]\" is out of the order of the sites"},
      {[](Json& d) { d["decisions"][0]["sites"] = Json::array(); },
       "member \"decisions[0].sites\" is empty"},
      {[](Json& d) { d.erase("authChanges"); }, "member \"authChanges\" is missing"},
  };
  for (const auto& [change, message] : cases) EXPECT_EQ(changed(change), message);

  // What combining only copies may hold anything, up to the depth allowed.
  Json deep = "x";
  for (int i = 0; i < 60; ++i) deep = Json::array({deep});
  Json odd = fleet;
  odd["decisions"][0]["custo"] = deep;
  odd["decisions"][0]["key"] = 7;
  ASSERT_TRUE(FleetDocument::read(odd.dump(), read, error)) << error;
  EXPECT_EQ(combined({read}).dump(), odd.dump());
}

namespace {

const char* const kRef =
    "*MASK DEFAULT\n"
    "*ENTITY PART,DEFAULT,Part\n"
    "*ATTR V_id,PART.DEFAULT,Y,Id\n"
    "+ACI WRITE,N\n"
    "*ATTR V_old,PART.DEFAULT,N,Old\n"
    "*ATTR V_size,PART.DEFAULT,N,Size\n";
const char* const kNew =
    "*MASK DEFAULT\n"
    "*ENTITY PART,DEFAULT,Part\n"
    "*ATTR V_id,PART.DEFAULT,Y,Id\n"
    "+ACI WRITE,Y\n"
    "*ATTR V_size,PART.DEFAULT,N,Size\n"
    "+FILTER SITE,ALL\n";

// Sites merged for real, each turned into a fleet of one.
struct Merged : testing::Test {
  void TearDown() override { MergerRule::end(); }

  Json site(const std::string& name, const std::string& custo) {
    MergeSession::Names names{dir.write("ref.msk", kRef), dir.write("new.msk", kNew),
                              dir.write(name, custo),
                              dir.write("rules.txt", "KEEP CUSTO E::PART/A::V_old\n"), ""};
    MergeSession session(names, diagnostics);
    EXPECT_EQ(session.run(), kDone) << err.str();
    return FleetDocument::ofSite(name, ReportDocument::build(session));
  }

  ScratchDir dir;
  std::ostringstream out, err;
  Diagnostics diagnostics{out, err, false};
};

}  // namespace

TEST_F(Merged, SitesAlikeShareTheirRowsAndDecideReadsTheFleet) {
  Json a = site("a.msk", kRef);
  Json b = site("b.msk",
                "*MASK DEFAULT\n"
                "*ENTITY PART,DEFAULT,Part\n"
                "*ATTR V_id,PART.DEFAULT,Y,Id\n"
                "+ACI WRITE,N\n"
                "*ATTR V_size,PART.DEFAULT,N,Size\n");
  Json c = site("c.msk", kRef);
  Json fleet = combined({a, b, c});

  EXPECT_EQ(groupsOf(fleet),
            "E::PART/A::V_id/X::WRITE recommendation null: a.msk b.msk c.msk\n"
            "E::PART/A::V_old alternative 1: a.msk c.msk\n"
            "E::PART/A::V_old/_::alias recommendation null: a.msk c.msk\n"
            "E::PART/A::V_old/_::auth recommendation null: a.msk c.msk\n"
            "E::PART/A::V_old/_::defval recommendation null: a.msk c.msk\n"
            "E::PART/A::V_old/_::group recommendation null: a.msk c.msk\n"
            "E::PART/A::V_old/_::order recommendation null: a.msk c.msk\n"
            "E::PART/A::V_old/_::required recommendation null: a.msk c.msk\n"
            "E::PART/A::V_size/F::SITE recommendation null: a.msk b.msk c.msk\n");
  EXPECT_FALSE(fleet["inputs"].contains("custo"));
  EXPECT_EQ(fleet["rules"][0]["decided"], 2);
  EXPECT_EQ(fleet["rules"][0]["sites"], 2);
  EXPECT_EQ(fleet["summary"]["questions"],
            a["summary"]["questions"].get<int>() * 2 + b["summary"]["questions"].get<int>());

  ReportReader::Report report;
  std::string error;
  ASSERT_TRUE(ReportReader::read(fleet.dump(), report, error)) << error;
  ASSERT_EQ(report.rows.size(), fleet["decisions"].size());
  for (size_t i = 0; i < report.rows.size(); ++i) {
    EXPECT_EQ(report.rows[i].key, fleet["decisions"][i]["key"]);
  }
  EXPECT_EQ(report.rulesFile, fleet["inputs"]["rules"]);
}
