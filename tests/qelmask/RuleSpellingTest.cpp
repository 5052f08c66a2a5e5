#include <gtest/gtest.h>

#include "maskfile/MergerFile.h"
#include "qelmask/session/RuleSpelling.h"
#include "rules/MergerRule.h"

namespace {

struct Spelling : testing::Test {
  void SetUp() override {
    MergerRule::end();
    mask.setConsole(console);
    mask.parse(
        "*MASK DEFAULT\n"
        "*ENTITY PART,DEFAULT,Part\n"
        "*ATTR V_status,PART.DEFAULT,N,Status\n"
        "+filter site,PARIS\n"
        "+ACI read\n");
    mask.sort(0);
  }
  void TearDown() override { MergerRule::end(); }

  std::string suggest(const char* line) {
    RuleProblem problem;
    MergerRule* rule = MergerRule::parseRule(line, 1, problem);
    EXPECT_NE(rule, nullptr) << line;
    return rule ? RuleSpelling::suggest(*rule, mask) : "(rejected)";
  }

  std::ostringstream console;
  MergerFile mask{1};
};

}  // namespace

TEST_F(Spelling, SuggestsThePathThatMatchesButForLetterCase) {
  const std::pair<const char*, const char*> cases[] = {
      // The reader upper-cases filter names and access operations.
      {"KEEP NEW E::PART/A::V_status/F::site", "E::PART/A::V_status/F::SITE"},
      {"KEEP NEW //X::read", "//X::READ"},
      {"KEEP NEW e::part/a::v_STATUS", "E::PART/A::V_status"},
      // Wildcards stay as they were written.
      {"KEEP NEW E::*/A::v_status", "E::*/A::V_status"},
      {"KEEP NEW //_::ALIAS", "//_::alias"},
  };
  for (const auto& [line, suggestion] : cases) {
    EXPECT_EQ(suggest(line), suggestion) << line;
  }
}

TEST_F(Spelling, SuggestsNothingWhenNoNodeIsNearOrOneMatchesExactly) {
  for (const char* line : {
           "KEEP NEW E::PART/F::SITE/A::V_status",  // wrong order
           "KEEP NEW E::WORKFLOW",                  // no such node
           "KEEP NEW E::PART/A::V_status",          // matches as written
           "KEEP NEW A::V_status",                  // anchored: starts below the mask
           "KEEP NEW E::PART/A::V_statu",           // not a matter of case
       }) {
    EXPECT_EQ(suggest(line), "") << line;
  }
}
