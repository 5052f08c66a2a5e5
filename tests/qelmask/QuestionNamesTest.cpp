// How qelmask decide finds the questions an administrator names.
#include <gtest/gtest.h>

#include "ReportJson.h"
#include "qelmask/decisions/QuestionNames.h"

namespace {

using report_json::Json;

// #1 and #2: the same question asked twice (the merge cannot tell them
// apart); #3 in a mask whose name holds ":"; #4 a node version N+1 adds,
// with an inner node; #5 and #6: one path, two questions, told apart by the
// value of the node their recommendation keeps.
ReportReader::Report sample() {
  const std::optional<std::string> none, empty(""), a("A"), b("B");
  Json rows = Json::array();
  rows.push_back(report_json::row(
      {"DEFAULT", "E::P/A::V_x", QuestionKind::kDroppedByNew, empty, none, empty}));
  rows.push_back(rows[0]);
  rows.push_back(report_json::row(
      {"ROLE:ADMIN", "E::P/A::V_x", QuestionKind::kDroppedByNew, empty, none, empty}));
  Json added = report_json::row({"DEFAULT", "E::DOC", QuestionKind::kNewInNew, none, empty, none});
  report_json::addInner(added, {"A::D_x/X::READ[Y]"});
  rows.push_back(std::move(added));
  rows.push_back(
      report_json::row({"DEFAULT", "E::P/A::V_y/_::alias", QuestionKind::kChangedByNew, a, b, a}));
  rows.push_back(report_json::row(
      {"DEFAULT", "E::P/A::V_y/_::alias", QuestionKind::kChangedByBoth, a, b, std::string("C")}));
  ReportReader::Report report;
  std::string error;
  EXPECT_TRUE(ReportReader::read(report_json::document(std::move(rows)).dump(), report, error))
      << error;
  return report;
}

// The number of the row a name designates, "inner of #N", or the error.
std::string resolved(const ReportReader::Report& report, std::string_view name) {
  QuestionNames names(report);
  QuestionNames::Target target;
  std::string error;
  if (!names.resolve(name, target, error)) return error;
  return (target.inner ? "inner " + target.inner->id + " of " : std::string()) +
         target.row->label();
}

}  // namespace

TEST(QuestionNames, ByNumber) {
  ReportReader::Report report = sample();
  EXPECT_EQ(resolved(report, "5"), "#5");
  EXPECT_EQ(resolved(report, "#6"), "#6");
  EXPECT_EQ(resolved(report, "006"), "#6");
  for (const char* name : {"0", "7", "#0", "99999999999999999999"}) {
    EXPECT_EQ(
        resolved(report, name),
        "no question " + std::string(name[0] == '#' ? name + 1 : name) + " (the report has 6)");
  }
  EXPECT_EQ(resolved(report, "#"),
            "\"#\" names no question: give its number (12) or "
            "MASK:IDENTIFIER");
  EXPECT_EQ(resolved(report, "12a"),
            "\"12a\" names no question: give its number (12) or "
            "MASK:IDENTIFIER");
}

TEST(QuestionNames, ByMaskAndIdentifierOrPath) {
  ReportReader::Report report = sample();
  // One question asked twice is one question: the first row names it.
  EXPECT_EQ(resolved(report, "DEFAULT:E::P/A::V_x"), "#1");
  EXPECT_EQ(resolved(report, "ROLE:ADMIN:E::P/A::V_x"), "#3");
  EXPECT_EQ(resolved(report, "DEFAULT:E::P/A::V_y/_::alias[B]"), "#5");
  EXPECT_EQ(resolved(report, "DEFAULT:E::P/A::V_y/_::alias[C]"), "#6");
  EXPECT_EQ(resolved(report, "DEFAULT:E::DOC/A::D_x/X::READ[Y]"),
            "inner E::DOC/A::D_x/X::READ[Y] of #4");
}

TEST(QuestionNames, ANameOfNothingOrOfSeveralQuestionsIsAnError) {
  ReportReader::Report report = sample();
  EXPECT_EQ(resolved(report, "DEFAULT:E::P/A::V_y/_::alias"),
            "DEFAULT:E::P/A::V_y/_::alias names several questions: #5, #6 (name one by its "
            "number)");
  EXPECT_EQ(resolved(report, "DEFAULT:E::NOPE"), "no question DEFAULT:E::NOPE in mask DEFAULT");
  EXPECT_EQ(resolved(report, "ROLE:ADMIN:E::NOPE"),
            "no question ROLE:ADMIN:E::NOPE in mask ROLE:ADMIN");
  EXPECT_EQ(resolved(report, "READERS:E::P/A::V_x"),
            "no question READERS:E::P/A::V_x: the report has no mask READERS");
  // The identifier of a node version N+1 adds is the question's, not an inner node's.
  EXPECT_EQ(resolved(report, "DEFAULT:E::DOC/X::READ[Y]"),
            "no question DEFAULT:E::DOC/X::READ[Y] in mask DEFAULT");
}
