// What qelmask decide reads of a report, and every way a file can fail to
// be a report it can read.
#include <gtest/gtest.h>

#include <functional>

#include "ReportJson.h"
#include "qelmask/decisions/ReportReader.h"

namespace {

using report_json::Json;
using report_json::Question;

Json twoQuestions() {
  Json added = report_json::row({"SITE", "E::DOC/A::D_mime", QuestionKind::kNewInNew, std::nullopt,
                                 std::string("x"), std::nullopt});
  report_json::addInner(added, {"X::READ[Y]"});
  Json rows = Json::array();
  rows.push_back(
      report_json::row({"DEFAULT", "E::PART/A::V_old", QuestionKind::kDroppedByNew, std::string(""),
                        std::nullopt, std::string(""), Choice::kAlternative}));
  rows.push_back(std::move(added));
  Json doc = report_json::document(std::move(rows), "rules.txt");
  doc["rules"] = Json::array(
      {{{"number", 4},
        {"text", "KEEP NEW //A::V_WEIGHT"},
        {"stale", true},
        {"suggestion", "//A::V_weight"}},
       {{"number", 2}, {"text", "KEEP CUSTO E::X"}, {"stale", false}, {"suggestion", nullptr}}});
  return doc;
}

std::string errorOf(const std::string& text) {
  ReportReader::Report report;
  std::string error;
  EXPECT_FALSE(ReportReader::read(text, report, error)) << text.substr(0, 200);
  EXPECT_TRUE(report.rows.empty());
  return error;
}

std::string errorOf(const std::function<void(Json&)>& change) {
  Json doc = twoQuestions();
  change(doc);
  return errorOf(doc.dump());
}

}  // namespace

TEST(ReportReader, ReadsTheQuestionsTheirKeysAndTheRuleFile) {
  ReportReader::Report report;
  std::string error;
  ASSERT_TRUE(ReportReader::read(twoQuestions().dump(), report, error)) << error;

  EXPECT_EQ(report.rulesFile, "rules.txt");
  EXPECT_FALSE(report.decisionsFile.has_value());
  EXPECT_TRUE(report.kept.empty());
  ASSERT_EQ(report.rows.size(), 2u);
  const ReportReader::Row& kept = report.rows[0];
  EXPECT_EQ(kept.number, 1);
  EXPECT_EQ(kept.label(), "#1");
  EXPECT_EQ(kept.mask, "DEFAULT");
  EXPECT_EQ(kept.choice, Choice::kAlternative);
  EXPECT_EQ(kept.question.node, "E::PART/A::V_old");
  EXPECT_EQ(kept.question.kind, QuestionKind::kDroppedByNew);
  EXPECT_EQ(kept.question.values[1], std::nullopt);
  EXPECT_EQ(kept.question.values[2], "");
  EXPECT_EQ(kept.question.text(), kept.key + "\talternative");
  EXPECT_FALSE(kept.inner.has_value());

  const ReportReader::Row& added = report.rows[1];
  EXPECT_EQ(added.id, "E::DOC/A::D_mime[x]");
  ASSERT_TRUE(added.inner.has_value());
  ASSERT_EQ(added.inner->size(), 1u);
  EXPECT_EQ((*added.inner)[0].id, "E::DOC/A::D_mime[x]/X::READ[Y]");
  EXPECT_EQ((*added.inner)[0].refusal.text(), "SITE\tE::DOC/A::D_mime\twithout\tX::READ[Y]");

  ASSERT_EQ(report.rules.size(), 2u);
  EXPECT_EQ(report.rules[0].number, 4);
  EXPECT_TRUE(report.rules[0].stale);
  EXPECT_EQ(report.rules[0].suggestion, "//A::V_weight");
  EXPECT_EQ(report.rules[1].suggestion, "");
}

TEST(ReportReader, TakesTheLinesOfTheDecisionsFileItWasMadeWith) {
  Json doc = twoQuestions();
  doc["inputs"]["decisions"] = "old.txt";
  doc["summary"]["decisions"] = {
      {"file", "old.txt"},
      {"kept",
       {"SITE\tE::DOC/A::D_mime\twithout\tX::READ[Y]",
        "DEFAULT\tE::GONE\tdropped-by-new\t=\t-\t=\\x09\talternative\twith-subtree"}},
      {"stale",
       Json::array({{{"line", 2},
                     {"text", "SITE\tE::DOC/A::D_mime\twithout\tX::READ[Y]"},
                     {"why", "version N+1 no longer brings the node, or it is not added"}}})}};
  ReportReader::Report report;
  std::string error;
  ASSERT_TRUE(ReportReader::read(doc.dump(), report, error)) << error;
  EXPECT_EQ(report.decisionsFile, "old.txt");
  ASSERT_EQ(report.kept.size(), 2u);
  EXPECT_TRUE(report.kept[0].refusal);
  EXPECT_EQ(report.kept[1].values[2], "\t");
  EXPECT_TRUE(report.kept[1].withSubtree);
  EXPECT_EQ(report.stale, std::vector<std::string>{"SITE\tE::DOC/A::D_mime\twithout\tX::READ[Y]"});
}

TEST(ReportReader, RefusesWhatIsNoJsonOrNoReport) {
  EXPECT_EQ(errorOf("{\"format\": \"qelmask-report\",\n  \"version\": 1,\n  oops}"),
            "not JSON: a syntax error at line 3, column 3");
  EXPECT_EQ(errorOf(""), "not JSON: a syntax error at line 1, column 1");
  EXPECT_EQ(errorOf("{\"format\": 1e999}"),
            "not JSON this qelmask can read: a number out of range");
  EXPECT_EQ(errorOf("[1, 2]"), "not a report of qelmask (no member \"format\")");
  EXPECT_EQ(errorOf("{\"format\": \"qelmask-access\", \"version\": 1}"),
            "not a report of qelmask (format \"qelmask-access\", expected \"qelmask-report\" or "
            "\"qelmask-fleet-report\")");
  EXPECT_EQ(errorOf("{\"format\": 7}"),
            "not a report of qelmask (format 7, expected \"qelmask-report\" or "
            "\"qelmask-fleet-report\")");
  EXPECT_EQ(errorOf(std::string("{\"format\": \"") + std::string(100, 'x') + "\"}"),
            "not a report of qelmask (format \"" + std::string(39, 'x') +
                "..., expected \"qelmask-report\" or \"qelmask-fleet-report\")");
}

TEST(ReportReader, RefusesAnotherVersion) {
  EXPECT_EQ(errorOf([](Json& doc) { doc["version"] = 2; }),
            "report version 2: this qelmask reads version 1 (make the report again with it)");
  EXPECT_EQ(errorOf([](Json& doc) { doc["version"] = 1.5; }),
            "report version 1.5: this qelmask reads version 1 (make the report again with it)");
  EXPECT_EQ(errorOf([](Json& doc) { doc["version"] = "1"; }),
            "member \"version\" is a string, expected a number");
  EXPECT_EQ(errorOf([](Json& doc) { doc.erase("version"); }), "member \"version\" is missing");
}

TEST(ReportReader, AReportOfAnEarlierQelmaskIsToldAsSuch) {
  const char* const earlier = " (a report made by an earlier qelmask: make it again)";
  EXPECT_EQ(errorOf([](Json& doc) { doc["decisions"][1].erase("key"); }),
            std::string("member \"decisions[1].key\" is missing") + earlier);
  EXPECT_EQ(errorOf([](Json& doc) { doc["inputs"].erase("decisions"); }),
            std::string("member \"inputs.decisions\" is missing") + earlier);
  EXPECT_EQ(errorOf([](Json& doc) { doc["summary"].erase("decisions"); }),
            std::string("member \"summary.decisions\" is missing") + earlier);
}

TEST(ReportReader, RefusesMembersOfTheWrongType) {
  const std::pair<std::function<void(Json&)>, const char*> cases[] = {
      {[](Json& doc) { doc["inputs"] = Json::array(); },
       "member \"inputs\" is an array, expected an object"},
      {[](Json& doc) { doc["inputs"]["rules"] = 3; },
       "member \"inputs.rules\" is a number, expected a string or null"},
      {[](Json& doc) { doc["decisions"] = nullptr; },
       "member \"decisions\" is null, expected an array"},
      {[](Json& doc) { doc["decisions"][0] = "a question"; },
       "member \"decisions[0]\" is a string, expected an object"},
      {[](Json& doc) { doc["decisions"][0]["key"] = nullptr; },
       "member \"decisions[0].key\" is null, expected a string"},
      {[](Json& doc) { doc["decisions"][0]["mask"] = false; },
       "member \"decisions[0].mask\" is false, expected a string or null"},
      {[](Json& doc) { doc["decisions"][1]["inner"] = Json::object(); },
       "member \"decisions[1].inner\" is an object, expected an array"},
      {[](Json& doc) { doc["rules"][0]["number"] = -4; },
       "member \"rules[0].number\" is out of range"},
      {[](Json& doc) { doc["rules"][0]["number"] = 4.0; },
       "member \"rules[0].number\" is a number, expected a whole number"},
      {[](Json& doc) { doc["rules"][1]["stale"] = "no"; },
       "member \"rules[1].stale\" is a string, expected true or false"},
      {[](Json& doc) {
         doc["summary"]["decisions"] = {{"kept", {1}}};
       },
       "member \"summary.decisions.kept[0]\" is a number, expected a string"},
  };
  for (const auto& [change, message] : cases) EXPECT_EQ(errorOf(change), message);
}

// A key is written back as it stands: only the text qelmask writes is
// taken, or the file written would not be the page's.
TEST(ReportReader, RefusesKeysAndLinesQelmaskDoesNotWrite) {
  const std::pair<std::function<void(Json&)>, const char*> cases[] = {
      {[](Json& doc) { doc["decisions"][0]["key"] = "DEFAULT\tE::X\tdropped-by-new\t=\t-"; },
       "member \"decisions[0].key\": expected 7 fields separated by tabs (mask, node, kind, REF, "
       "NEW, CUSTO, option), 8 with with-subtree, or 4 (mask, node, without, inner node); found "
       "6"},
      {[](Json& doc) {
         doc["decisions"][0]["key"] = "DEFAULT\tE::X\tdropped-by-new\t=\\x0a\t-\t=";
       },
       "member \"decisions[0].key\" is not the key of a question as qelmask writes it"},
      {[](Json& doc) { doc["decisions"][0]["key"] = "DEFAULT\tE::X\twithout\tX::READ[Y]"; },
       "member \"decisions[0].key\": expected 7 fields separated by tabs (mask, node, kind, REF, "
       "NEW, CUSTO, option), 8 with with-subtree, or 4 (mask, node, without, inner node); found "
       "5"},
      {[](Json& doc) { doc["decisions"][0]["key"] = "# DEFAULT\tE::X\tdropped-by-new\t=\t-\t="; },
       "member \"decisions[0].key\" is no decision"},
      {[](Json& doc) { doc["decisions"][0]["key"] = "DEFAULT\tE::X\tdropped-by-new\t=\t-\t=\n"; },
       "member \"decisions[0].key\" holds a line break"},
      {[](Json& doc) { doc["decisions"][0]["kind"] = "changed-by-new"; },
       "member \"decisions[0].kind\" is not the kind its key names"},
      {[](Json& doc) { doc["decisions"][0]["choice"] = "both"; },
       "member \"decisions[0].choice\" is neither recommendation nor alternative"},
      {[](Json& doc) {
         doc["decisions"][1]["inner"][0]["refuse"] =
             "SITE\tE::DOC\tnew-in-new\t-\t=x\t-\trecommendation";
       },
       "member \"decisions[1].inner[0].refuse\" is not a refusal as qelmask writes it"},
      {[](Json& doc) {
         doc["summary"]["decisions"] = {
             {"kept", {"SITE\tE::D\twithout\tX::R", "SITE\tE::D\twithout\tX::R"}},
             {"stale", Json::array()}};
       },
       "member \"summary.decisions.kept[1]\" is the same decision as an earlier line"},
      {[](Json& doc) {
         doc["summary"]["decisions"] = {{"kept", {"SITE\tE::D\twithout\t\\q"}}};
       },
       "member \"summary.decisions.kept[0]\": inner node \"\\q\": a backslash starts an escape "
       "\\xHH (two hexadecimal digits)"},
  };
  for (const auto& [change, message] : cases) EXPECT_EQ(errorOf(change), message);
}

// A fleet's report keeps the members decide reads: its rows are read as a
// site's, whatever sites they name, and its inputs have no customer mask.
TEST(ReportReader, ReadsAFleetReportAsASitesReport) {
  Json doc = twoQuestions();
  doc["format"] = "qelmask-fleet-report";
  doc["inputs"].erase("custo");
  doc["sites"] = Json::array({{{"name", "a.msk"}}, {{"name", "b.msk"}}});
  for (Json& row : doc["decisions"]) row["sites"] = {"a.msk", "b.msk"};
  ReportReader::Report fleet, site;
  std::string error;
  ASSERT_TRUE(ReportReader::read(doc.dump(), fleet, error)) << error;
  ASSERT_TRUE(ReportReader::read(twoQuestions().dump(), site, error)) << error;

  ASSERT_EQ(fleet.rows.size(), site.rows.size());
  for (size_t i = 0; i < site.rows.size(); ++i) {
    EXPECT_EQ(fleet.rows[i].key, site.rows[i].key);
    EXPECT_EQ(fleet.rows[i].question.text(), site.rows[i].question.text());
    EXPECT_EQ(fleet.rows[i].inner.has_value(), site.rows[i].inner.has_value());
  }
  EXPECT_EQ(fleet.rulesFile, "rules.txt");
  EXPECT_EQ(fleet.rules.size(), 2u);

  doc["version"] = 2;
  EXPECT_EQ(errorOf(doc.dump()),
            "report version 2: this qelmask reads version 1 (make the report again with it)");
}
