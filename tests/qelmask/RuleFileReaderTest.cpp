#include <gtest/gtest.h>

#include "qelmask/session/RuleFileReader.h"
#include "rules/MergerRule.h"

namespace {

struct RuleFile : testing::Test {
  void SetUp() override { MergerRule::end(); }
  void TearDown() override { MergerRule::end(); }
};

std::string problems(const RuleFileReader& reader) {
  std::string text;
  for (const auto& problem : reader.problems())
    text += std::to_string(problem.line) + ": " + problem.message + "\n";
  return text;
}

}  // namespace

TEST_F(RuleFile, EveryBadLineIsListedWithItsNumberAndNoneBecomesARule) {
  const std::pair<const char*, const char*> cases[] = {
      {"IGNROE NEW E::X", "invalid action \"IGNROE\""},
      {"keep newer E::X", "invalid action node \"NEWER\""},
      {"KEEP NEW E:X", "invalid path element \"E:X\" (TYPE::NAME expected)"},
      {"KEEP NEW E::X/A::", "invalid path element \"A::\" (TYPE::NAME expected)"},
      {"KEEP NEW //::x", "invalid path element \"::x\" (TYPE::NAME expected)"},
      {"KEEP NEW", "missing node path"},
      {"KEEP", "missing action node (NEW or CUSTO)"},
      {"   ", "missing action (KEEP or IGNORE)"},
      {"KEEP NEW /E::X", "invalid node path \"/E::X\""},
      {"KEEP\tNEW\tE::X", "invalid action \"KEEP\tNEW\tE::X\""},
  };
  for (const auto& [line, message] : cases) {
    RuleFileReader reader;
    reader.parse(std::string("# a comment\n\n") + line + "\n");
    EXPECT_EQ(problems(reader), std::string("3: ") + message + "\n") << line;
    EXPECT_EQ(reader.ruleCount(), 0) << line;
    EXPECT_EQ(MergerRule::_lRules.Size(), 0) << line;
  }
}

TEST_F(RuleFile, CrlfLineEndsAreReadAsLf) {
  RuleFileReader reader;
  reader.parse("# rules\r\n\r\nKEEP CUSTO E::PART/F::SITE\r\nIGNORE NEW //_::alias\r\n");
  EXPECT_TRUE(reader.crlf());
  EXPECT_EQ(problems(reader), "");
  ASSERT_EQ(MergerRule::_lRules.Size(), 2);
  auto first = static_cast<MergerRule*>(MergerRule::_lRules[1]);
  EXPECT_EQ(first->getNumber(), 3);
  // The carriage return would end up in the last element's name.
  EXPECT_EQ(first->last()->name(), "SITE");
  EXPECT_EQ(static_cast<MergerRule*>(MergerRule::_lRules[2])->id().str(), "//_::alias");
}

TEST_F(RuleFile, LinesAreNumberedFromOneAndAFinalLineFeedAddsNoLine) {
  for (const char* bytes : {"KEEP NEW E::X\nBAD", "KEEP NEW E::X\nBAD\n"}) {
    RuleFileReader reader;
    reader.parse(bytes);
    EXPECT_FALSE(reader.crlf());
    EXPECT_EQ(reader.ruleCount(), 1);
    EXPECT_EQ(problems(reader), "2: invalid action \"BAD\"\n") << bytes;
    MergerRule::end();
  }
}

TEST_F(RuleFile, AnUnreadableFileIsNamedByItsReason) {
  RuleFileReader reader;
  std::string error;
  EXPECT_FALSE(reader.load("/nonexistent/rules.txt", error));
  EXPECT_EQ(error, "file does not exist");
  EXPECT_FALSE(reader.load("/", error));
  EXPECT_EQ(error, "is a folder, not a file");
}
