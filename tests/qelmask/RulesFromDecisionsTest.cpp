// The rules qelmask decide writes for a decisions file: which choices a
// rule can take, what else each rule decides, and why the others cannot be.
#include <gtest/gtest.h>

#include "ReportJson.h"
#include "qelmask/decisions/DecisionChoices.h"
#include "qelmask/decisions/DecisionsFile.h"
#include "qelmask/decisions/RulesFromDecisions.h"

namespace {

using report_json::Json;
using report_json::Question;

const std::optional<std::string> kNone, kEmpty("");

Question dropped(std::string mask, std::string path) {
  return {std::move(mask), std::move(path), QuestionKind::kDroppedByNew, kEmpty, kNone, kEmpty};
}

Question added(std::string mask, std::string path) {
  return {std::move(mask), std::move(path), QuestionKind::kNewInNew, kNone, kEmpty, kNone};
}

struct Case {
  Json rows = Json::array();
  std::vector<std::string> lines;  // of the decisions file
  std::optional<std::string> rulesFile;
  Json reportRules = Json::array();

  Case& ask(const Question& question) {
    rows.push_back(report_json::row(question));
    return *this;
  }
  // Chooses `option` for the question `number` asks.
  Case& choose(size_t number, const char* option, bool withSubtree = false) {
    std::string line = rows[number - 1]["key"].get<std::string>() + "\t" + option;
    lines.push_back(withSubtree ? line + "\twith-subtree" : line);
    return *this;
  }

  // The whole rule file.
  std::string file(const std::optional<std::string>& ruleFile = std::nullopt) const {
    ReportReader::Report report;
    std::string error;
    Json doc = report_json::document(rows, rulesFile);
    doc["rules"] = reportRules;
    EXPECT_TRUE(ReportReader::read(doc.dump(), report, error)) << error;
    for (const std::string& line : lines) EXPECT_EQ(line.find('\n'), std::string::npos);
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    DecisionsFile decisions;
    decisions.parse(text);
    EXPECT_TRUE(decisions.problems().empty());
    DecisionChoices choices(decisions.lines());
    return RulesFromDecisions(report, choices.lines()).text({"r.json", "d.txt"}, ruleFile);
  }
  // The rules and comments for the decisions, without the lines that
  // start and end every file.
  std::string rules() const {
    std::string text = file();
    size_t from = 0;
    for (int i = 0; i < 4; ++i) from = text.find('\n', from) + 1;
    return text.substr(from, text.find("\n\n# The report was made without") + 1 - from);
  }
};

}  // namespace

TEST(RulesFromDecisions, ACustomerRuleHoldsInItsMaskAVersionRuleInEvery) {
  Case c;
  c.ask(dropped("DEFAULT", "E::P/A::V_old"))
      .ask(dropped("SITE", "E::P/A::V_old"))
      .ask(added("DEFAULT", "E::P/A::V_w"))
      .ask(added("SITE", "E::P/A::V_w"))
      .choose(1, "alternative")
      .choose(3, "alternative");
  EXPECT_EQ(c.rules(),
            "KEEP CUSTO M::DEFAULT/E::P/A::V_old\n"
            "IGNORE NEW E::P/A::V_w\n"
            "# also decides #4 SITE E::P/A::V_w (new-in-new): alternative (IGNORE NEW)\n");
}

TEST(RulesFromDecisions, AQuestionAskedTwiceIsDecidedByItsOwnRule) {
  Case c;
  c.ask(dropped("DEFAULT", "E::P/A::V_old")).ask(dropped("DEFAULT", "E::P/A::V_old"));
  c.choose(2, "recommendation");
  EXPECT_EQ(c.rules(), "IGNORE CUSTO M::DEFAULT/E::P/A::V_old\n");
}

TEST(RulesFromDecisions, ARuleDecidesTheQuestionsOfOtherKindsOnItsPath) {
  Question changedByNew{"DEFAULT",        "E::P/A::V_s/_::defval", QuestionKind::kChangedByNew,
                        std::string("S"), std::string("M"),        std::string("S")};
  Question changedByBoth{"DEFAULT",        "E::P/A::V_s/_::defval", QuestionKind::kChangedByBoth,
                         std::string("S"), std::string("M"),        std::string("L")};
  Case c;
  c.ask(changedByNew).ask(changedByBoth).choose(1, "alternative");
  EXPECT_EQ(c.rules(),
            "KEEP CUSTO M::DEFAULT/E::P/A::V_s/_::defval\n"
            "# also decides #2 DEFAULT E::P/A::V_s/_::defval (changed-by-both): recommendation "
            "(KEEP CUSTO)\n");
  // Each rule would take the other question against its choice (the lines
  // in key order: changed-by-both first).
  c.choose(2, "alternative");
  EXPECT_EQ(
      c.rules(),
      "# not a rule: #2 DEFAULT E::P/A::V_s/_::defval (changed-by-both): its rule would also "
      "decide #1 DEFAULT E::P/A::V_s/_::defval (changed-by-new), which takes the alternative "
      "(KEEP CUSTO)\n"
      "# not a rule: #1 DEFAULT E::P/A::V_s/_::defval (changed-by-new): its rule would also "
      "decide #2 DEFAULT E::P/A::V_s/_::defval (changed-by-both), which takes the alternative "
      "(KEEP NEW)\n");
}

TEST(RulesFromDecisions, OneMaskAlonePicksNoOptionForVersionNPlusOnesNode) {
  Case c;
  c.ask(added("DEFAULT", "E::P/A::V_w"))
      .ask(added("SITE", "E::P/A::V_w"))
      .ask(added("READERS", "E::P/A::V_w"))
      .choose(1, "alternative")
      .choose(2, "recommendation");
  EXPECT_EQ(c.rules(),
            "# not a rule: #1 DEFAULT E::P/A::V_w (new-in-new): a rule on version N+1's node "
            "decides in every mask, and #2 in mask SITE takes the recommendation (ADD NEW)\n"
            "# not a rule: #2 SITE E::P/A::V_w (new-in-new): a rule on version N+1's node decides "
            "in every mask, and #1 in mask DEFAULT takes the alternative (IGNORE NEW)\n");
}

TEST(RulesFromDecisions, NamesNoRuleCanHold) {
  const std::pair<const char*, const char*> cases[] = {
      {"E::P/A::V x", "a name with a blank (A::V x)"},
      {"E::P/A::a/b", "a name with \"/\" (b)"},
      {"E::P/A::a::b", "a name with \"::\" (A::a::b)"},
      {"E::P/A::*x", "a name starting with \"*\" (a rule reads it as a pattern) (A::*x)"},
      {"E::P/A::", "an empty name (A::)"},
      {"E::P/A::V\r", "a name with a line break or a NUL byte (A::V\\x0D)"},
      {"F::SITE", "a node outside any entity (a rule path starts at an entity)"},
  };
  for (const auto& [path, why] : cases) {
    Case c;
    c.ask(dropped("DEFAULT", path)).choose(1, "alternative");
    std::string escaped = c.rows[0]["key"].get<std::string>();
    escaped = escaped.substr(8, escaped.find('\t', 8) - 8);
    EXPECT_EQ(c.rules(),
              "# not a rule: #1 DEFAULT " + escaped + " (dropped-by-new): " + why + "\n");
  }
  // The customer's side names the mask too; version N+1's does not.
  Case c;
  c.ask(dropped("MY MASK", "E::P")).ask(added("MY MASK", "E::Q"));
  c.choose(1, "alternative").choose(2, "alternative");
  EXPECT_EQ(c.rules(),
            "# not a rule: #1 MY MASK E::P (dropped-by-new): a name with a blank (mask MY MASK)\n"
            "IGNORE NEW E::Q\n");
}

TEST(RulesFromDecisions, RefusalsAndLinesOfNoQuestionAreComments) {
  Case c;
  Json row = report_json::row(added("DEFAULT", "E::DOC"));
  report_json::addInner(row, {"X::READ[Y]"});
  c.rows.push_back(row);
  // The node is named by its question, whether the report lists the inner
  // node (it does not once a refusal left it out) or not.
  c.lines = {"DEFAULT\tE::DOC\twithout\tX::READ[Y]", "DEFAULT\tE::DOC\twithout\tX::WRITE[Y]",
             "SITE\tE::DOC\twithout\tX::READ[Y]",
             "DEFAULT\tE::GONE\tdropped-by-new\t=\t-\t=\talternative"};
  EXPECT_EQ(c.rules(),
            "# not a rule: #1 DEFAULT E::DOC (without X::READ[Y]): leaves a node out of a node "
            "version N+1 adds, which no rule can\n"
            "# not a rule: #1 DEFAULT E::DOC (without X::WRITE[Y]): leaves a node out of a node "
            "version N+1 adds, which no rule can\n"
            "# not a rule: DEFAULT E::GONE (dropped-by-new): the report has no such question\n"
            "# not a rule: SITE E::DOC (without X::READ[Y]): leaves a node out of a node version "
            "N+1 adds, which no rule can\n");
}

TEST(RulesFromDecisions, ASubtreeKeptGivesARuleForEachQuestionBelowItsNode) {
  Case c;
  c.ask(dropped("DEFAULT", "E::P/A::V_old"))
      .ask(dropped("DEFAULT", "E::P/A::V_old/_::alias"))
      .ask(dropped("DEFAULT", "E::P/A::V_old/_::auth"))
      .ask(dropped("SITE", "E::P/A::V_old/_::alias"))
      .ask(dropped("DEFAULT", "E::P/A::V_older"))
      .ask(dropped("DEFAULT", "E::Q"))
      .choose(1, "alternative", true)
      .choose(3, "recommendation")
      .choose(6, "alternative", true);
  EXPECT_EQ(c.rules(),
            "KEEP CUSTO M::DEFAULT/E::P/A::V_old\n"
            "# with-subtree: a rule for each question of the report below #1\n"
            "KEEP CUSTO M::DEFAULT/E::P/A::V_old/_::alias\n"
            "KEEP CUSTO M::DEFAULT/E::P/A::V_old/_::auth\n"
            "# not a rule: #3 DEFAULT E::P/A::V_old/_::auth (dropped-by-new): the with-subtree "
            "line of #1 settles it first, with the alternative (KEEP CUSTO)\n"
            "KEEP CUSTO M::DEFAULT/E::Q\n"
            "# with-subtree: the report has no question below #6 (make it again with the "
            "decisions to see them)\n");
}

TEST(RulesFromDecisions, TheReportsRuleFileFollowsWithItsStaleRulesMarked) {
  Case c;
  c.ask(dropped("DEFAULT", "E::P")).choose(1, "alternative");
  c.rulesFile = "rules\nfile.txt";
  // The report numbers rules by their line in the file.
  c.reportRules = Json::array({{{"number", 2}, {"stale", false}, {"suggestion", nullptr}},
                               {{"number", 3}, {"stale", true}, {"suggestion", "//A::V_x"}},
                               {{"number", 5}, {"stale", true}, {"suggestion", nullptr}}});
  EXPECT_EQ(c.file(std::string("# ours\r\nKEEP NEW E::A\r\nIGNORE NEW //A::V_X\n\nKEEP NEW E::Z")),
            "# Rules written by qelmask decide: the decisions of d.txt (chosen on the report "
            "r.json) as far as rules can take them, then the rule file the report was made with.\n"
            "# A rule decides every question of its path: in one mask on the customer's side, in "
            "every mask on version N+1's.\n"
            "# \"also decides\" names the other questions of the report a rule decides, \"not a "
            "rule\" a decision no rule can take;\n"
            "# masks and paths are written there as in the decisions file.\n"
            "KEEP CUSTO M::DEFAULT/E::P\n"
            "\n"
            "# The rule file the report was made with: rules\\x0Afile.txt\n"
            "# ours\r\n"
            "KEEP NEW E::A\r\n"
            "# stale: this rule decided nothing in the report (did you mean \"//A::V_x\"?)\n"
            "IGNORE NEW //A::V_X\n"
            "\n"
            "# stale: this rule decided nothing in the report\n"
            "KEEP NEW E::Z");
}

TEST(RulesFromDecisions, AReportWithoutRuleFileSaysSo) {
  Case c;
  c.ask(dropped("DEFAULT", "E::P")).choose(1, "recommendation");
  std::string file = c.file();
  EXPECT_EQ(file.substr(file.find("IGNORE CUSTO")),
            "IGNORE CUSTO M::DEFAULT/E::P\n\n# The report was made without a rule file.\n");
}
