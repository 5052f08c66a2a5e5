#include <gtest/gtest.h>

#include "qelmask/decisions/DecisionText.h"
#include "qelmask/decisions/DecisionsFile.h"

namespace {

std::string problems(const DecisionsFile& file) {
  std::string text;
  for (const auto& problem : file.problems())
    text += std::to_string(problem.line) + ": " + problem.message + "\n";
  return text;
}

const char* const kGood =
    "DEFAULT\tE::PART/A::V_old\tdropped-by-new\t=\t-\t=\talternative\twith-subtree";

}  // namespace

TEST(DecisionText, EveryByteComesBackAndTheTextIsPrintableAscii) {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  std::string text = DecisionText::escape(bytes);
  for (char c : text) {
    EXPECT_TRUE(c >= 0x20 && c < 0x7F) << static_cast<int>(c);
    EXPECT_NE(c, '\t');
  }
  std::string back;
  ASSERT_TRUE(DecisionText::unescape(text, back));
  EXPECT_EQ(back, bytes);
  // A Latin-1 byte and the UTF-8 of the same letter stay apart.
  EXPECT_EQ(DecisionText::escape("\xE9"), "\\xE9");
  EXPECT_EQ(DecisionText::escape("\xC3\xA9"), "\\xC3\\xA9");
  EXPECT_TRUE(DecisionText::unescape("\\xe9", back));
  EXPECT_EQ(back, "\xE9");
  for (const char* bad : {"\\", "\\x", "\\x4", "\\xG0", "a\\tb", "\\\\"}) {
    EXPECT_FALSE(DecisionText::unescape(bad, back)) << bad;
  }
}

TEST(DecisionText, AbsentAndEmptyValuesAreToldApart) {
  EXPECT_EQ(DecisionText::value(std::nullopt), "-");
  EXPECT_EQ(DecisionText::value(std::string_view()), "=");
  EXPECT_EQ(DecisionText::value(std::string_view("-")), "=-");
  std::optional<std::string> value;
  ASSERT_TRUE(DecisionText::parseValue("=", value));
  EXPECT_EQ(value, std::optional<std::string>(""));
  ASSERT_TRUE(DecisionText::parseValue("-", value));
  EXPECT_FALSE(value.has_value());
  ASSERT_TRUE(DecisionText::parseValue("=-", value));
  EXPECT_EQ(value, std::optional<std::string>("-"));
  EXPECT_FALSE(DecisionText::parseValue("", value));
  EXPECT_FALSE(DecisionText::parseValue("DRAFT", value));
}

TEST(DecisionsFile, ReadsQuestionsAndRefusalsAndWritesThemBackTheSame) {
  DecisionsFile file;
  file.parse(std::string("# made by hand\n\n") + kGood +
             "\r\n"
             "\\x23M\tE::X\\x09Y\tchanged-by-new\t=a\t=\\xE9\t=a\trecommendation\n"
             "READERS\tE::DOC/A::D_mime\twithout\tX::WRITE[Y]");
  ASSERT_EQ(problems(file), "");
  ASSERT_EQ(file.lines().size(), 3u);
  EXPECT_TRUE(file.crlf());
  const DecisionLine& kept = file.lines()[0];
  EXPECT_EQ(kept.line, 3);
  EXPECT_EQ(kept.kind, QuestionKind::kDroppedByNew);
  EXPECT_EQ(kept.choice, Choice::kAlternative);
  EXPECT_TRUE(kept.withSubtree);
  EXPECT_EQ(kept.values[0], std::optional<std::string>(""));
  EXPECT_FALSE(kept.values[1].has_value());
  EXPECT_EQ(kept.text(), kGood);
  const DecisionLine& odd = file.lines()[1];
  EXPECT_EQ(odd.mask, "#M");
  EXPECT_EQ(odd.node, "E::X\tY");
  EXPECT_EQ(odd.values[1], std::optional<std::string>("\xE9"));
  // A mask starting with "#" must not read back as a comment.
  EXPECT_EQ(odd.text(), "\\x23M\tE::X\\x09Y\tchanged-by-new\t=a\t=\\xE9\t=a\trecommendation");
  const DecisionLine& refusal = file.lines()[2];
  EXPECT_TRUE(refusal.refusal);
  EXPECT_EQ(refusal.inner, "X::WRITE[Y]");
  EXPECT_EQ(refusal.key(), refusal.text());

  std::vector<std::string> texts;
  for (const DecisionLine& line : file.lines()) texts.push_back(line.text());
  std::string written = DecisionsFile::compose(texts);
  EXPECT_EQ(written, std::string(DecisionsFile::kHeader) + "\n" + kGood + "\n" +
                         "READERS\tE::DOC/A::D_mime\twithout\tX::WRITE[Y]\n" + odd.text() + "\n");
  DecisionsFile again;
  again.parse(written);
  EXPECT_EQ(problems(again), "");
  EXPECT_EQ(again.lines().size(), 3u);
}

TEST(DecisionsFile, EveryBadLineIsListedWithItsNumberAndNoneIsKept) {
  const std::pair<const char*, const char*> cases[] = {
      {"DEFAULT\tE::X\tdropped-by-new\t=\t-\t=",
       "expected 7 fields separated by tabs (mask, node, kind, REF, NEW, CUSTO, option), 8 with "
       "with-subtree, or 4 (mask, node, without, inner node); found 6"},
      {"DEFAULT E::X dropped-by-new = - = alternative",
       "expected 7 fields separated by tabs (mask, node, kind, REF, NEW, CUSTO, option), 8 with "
       "with-subtree, or 4 (mask, node, without, inner node); found 1"},
      {"DEFAULT\tE::X\tdropped\t=\t-\t=\talternative",
       "unknown kind \"dropped\" (dropped-by-new, changed-by-both, changed-by-new, new-in-new, or "
       "without and an inner node)"},
      {"DEFAULT\tE::X\tdropped-by-new\tDRAFT\t-\t=\talternative",
       "REF value \"DRAFT\": \"-\" when absent, else \"=\" and the value (\\xHH escapes)"},
      {"DEFAULT\tE::X\tdropped-by-new\t=\t=\t=\talternative",
       "a dropped-by-new question has no NEW value (\"-\")"},
      {"DEFAULT\tE::X\tnew-in-new\t-\t-\t-\talternative",
       "a new-in-new question has a NEW value (\"=...\")"},
      {"DEFAULT\tE::X\tchanged-by-new\t=a\t=b\t=a\tother",
       "unknown option \"other\" (recommendation or alternative)"},
      {"DEFAULT\tE::X\tchanged-by-new\t=a\t=b\t=a\talternative\tsubtree",
       "unknown eighth field \"subtree\" (with-subtree)"},
      {"DEFAULT\tE::X\tchanged-by-new\t=a\t=b\t=a\talternative\twith-subtree",
       "with-subtree goes only with dropped-by-new and alternative: keeping a node version N+1 "
       "dropped, with everything below it"},
      {"DEFAULT\tE::X\tdropped-by-new\t=\t-\t=\trecommendation\twith-subtree",
       "with-subtree goes only with dropped-by-new and alternative: keeping a node version N+1 "
       "dropped, with everything below it"},
      {"DEFAULT\tE::\\x4\tdropped-by-new\t=\t-\t=\talternative",
       "node \"E::\\x4\": a backslash starts an escape \\xHH (two hexadecimal digits)"},
      {"DEFAULT\t\tdropped-by-new\t=\t-\t=\talternative", "empty node"},
      {"DEFAULT\tE::X\twithout\t", "empty inner node"},
      {"DEFAULT\tE::X\twithout\t_::alias[X]",
       "inner node \"_::alias[X]\": only an attribute, access line, filter or value (A::, X::, "
       "F::, V::) can be left out"},
      {"DEFAULT\tE::X\twithout\tA::a/X",
       "inner node \"A::a/X\": only an attribute, access line, filter or value (A::, X::, F::, "
       "V::) can be left out"},
      {"DEFAULT\tE::\xff\tdropped\t=\t-\t=\talternative",
       "unknown kind \"dropped\" (dropped-by-new, changed-by-both, changed-by-new, new-in-new, or "
       "without and an inner node)"},
  };
  for (const auto& [line, message] : cases) {
    DecisionsFile file;
    file.parse(std::string("# decisions\n\n") + line + "\n");
    EXPECT_EQ(problems(file), std::string("3: ") + message + "\n") << line;
    EXPECT_TRUE(file.lines().empty()) << line;
  }
}

TEST(DecisionsFile, TheSameQuestionTwiceNamesBothLines) {
  DecisionsFile file;
  std::string other = kGood;
  other.replace(other.find("alternative"), std::string::npos, "recommendation");
  file.parse(std::string(kGood) + "\n" +
             "DEFAULT\tE::PART/A::V_old\tdropped-by-new\t=x\t-\t=\talternative\n" + other + "\n");
  EXPECT_EQ(problems(file), "3: the same decision as line 1 (one line a question)\n");
  EXPECT_EQ(file.lines().size(), 2u);
}
