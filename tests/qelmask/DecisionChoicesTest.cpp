// The lines qelmask decide writes: those it starts from, with this run's
// choices put in, one line a question.
#include <gtest/gtest.h>

#include "qelmask/decisions/DecisionChoices.h"
#include "qelmask/decisions/DecisionsFile.h"

namespace {

std::vector<DecisionLine> parsed(std::string_view text) {
  DecisionsFile file;
  file.parse(text);
  EXPECT_TRUE(file.problems().empty());
  return file.lines();
}

const char* const kOld =
    "SITE\tE::P/A::V_x\tdropped-by-new\t=\t-\t=\talternative\twith-subtree\n"
    "DEFAULT\tE::DOC\twithout\tX::READ[Y]\n";

}  // namespace

TEST(DecisionChoices, AChoiceReplacesTheLineOfItsQuestion) {
  DecisionChoices choices(parsed(kOld));
  DecisionLine question = parsed("SITE\tE::P/A::V_x\tdropped-by-new\t=\t-\t=\trecommendation")[0];

  EXPECT_EQ(choices.take(question, Choice::kAlternative, true),
            DecisionChoices::Change::kUnchanged);
  EXPECT_EQ(choices.take(question, Choice::kAlternative, false),
            DecisionChoices::Change::kReplaced);
  EXPECT_EQ(DecisionsFile::compose(choices.texts()),
            std::string(DecisionsFile::kHeader) +
                "\nDEFAULT\tE::DOC\twithout\tX::READ[Y]\n"
                "SITE\tE::P/A::V_x\tdropped-by-new\t=\t-\t=\talternative\n");

  // The same node on other values is another question.
  question.values[2].emplace("x");
  EXPECT_EQ(choices.take(question, Choice::kRecommendation, false),
            DecisionChoices::Change::kAdded);
  EXPECT_EQ(choices.lines().size(), 3u);
}

TEST(DecisionChoices, ARefusalIsAddedOrTakenBack) {
  DecisionChoices choices(parsed(kOld));
  DecisionLine old = parsed("DEFAULT\tE::DOC\twithout\tX::READ[Y]\n")[0];
  DecisionLine other = parsed("DEFAULT\tE::DOC\twithout\tX::READ[N]\n")[0];

  EXPECT_EQ(choices.refuse(old), DecisionChoices::Change::kUnchanged);
  EXPECT_EQ(choices.refuse(other), DecisionChoices::Change::kAdded);
  EXPECT_EQ(choices.accept(old), DecisionChoices::Change::kRemoved);
  EXPECT_EQ(choices.accept(old), DecisionChoices::Change::kNothing);
  std::vector<std::string> texts = choices.texts();
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "DEFAULT\tE::DOC\twithout\tX::READ[N]",
                       "SITE\tE::P/A::V_x\tdropped-by-new\t=\t-\t=\talternative\twith-subtree"}));
}

TEST(DecisionChoices, AChoiceTakesThePlaceOfItsQuestionsLinesThatNoLongerApplied) {
  const char* const stale =
      "DEFAULT\tE::P/A::V_s/_::defval\tchanged-by-new\t=S\t=L\t=S\talternative";
  const char* const live =
      "DEFAULT\tE::P/A::V_t/_::defval\tchanged-by-new\t=S\t=L\t=S\talternative";
  DecisionChoices choices(parsed(std::string(stale) + "\n" + live + "\n"), {stale});
  DecisionLine now =
      parsed("DEFAULT\tE::P/A::V_s/_::defval\tchanged-by-new\t=S\t=M\t=S\trecommendation")[0];
  EXPECT_EQ(choices.take(now, Choice::kAlternative, false), DecisionChoices::Change::kReplaced);
  EXPECT_EQ(choices.texts(),
            (std::vector<std::string>{
                "DEFAULT\tE::P/A::V_s/_::defval\tchanged-by-new\t=S\t=M\t=S\talternative", live}));
  // A line that still applied stays beside a choice made on other values.
  DecisionLine other =
      parsed("DEFAULT\tE::P/A::V_t/_::defval\tchanged-by-new\t=S\t=M\t=S\trecommendation")[0];
  EXPECT_EQ(choices.take(other, Choice::kRecommendation, false), DecisionChoices::Change::kAdded);
  EXPECT_EQ(choices.lines().size(), 3u);
}
