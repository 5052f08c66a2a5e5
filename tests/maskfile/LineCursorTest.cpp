#include <gtest/gtest.h>

#include <random>
#include <string>

#include "framework/VexToken.h"
#include "maskfile/LineCursor.h"

// The reader cuts lines in place; it must cut them exactly as the tool's
// tokenizer does, words and fields mixed on one line, with separators of one
// or more characters (or none at all).
TEST(LineCursor, CutsLikeTheTokenizer) {
  std::mt19937 random(11);
  const std::string alphabet = " ,;|:ab";
  const char* separators[] = {",", ";", "||", "::", "|,|", "", "a"};
  for (int i = 0; i < 20000; ++i) {
    std::string line(random() % 14, ' ');
    for (char& c : line) c = alphabet[random() % alphabet.size()];
    std::string separator = separators[random() % std::size(separators)];
    std::string copy = line;
    LineCursor cursor(copy.data(), copy.data() + copy.size());
    VexToken token{VexUnicodeString(line)};
    for (int piece = 0; piece < 8; ++piece) {
      bool word = random() % 3 == 0;
      std::string expected =
          (word ? token.GetNextToken() : token.GetNextToken(VexUnicodeString(separator))).str();
      std::string got(word ? cursor.nextWord() : cursor.nextField(separator));
      ASSERT_EQ(got, expected) << "line [" << line << "] separator [" << separator << "] piece "
                               << piece << (word ? " (word)" : " (field)");
    }
  }
}

TEST(LineCursor, StripsBlanksOnlyAndUpperCasesInPlace) {
  EXPECT_EQ(LineCursor::stripBlanks("  a b \t "), "a b \t");
  EXPECT_EQ(LineCursor::stripBlanks("   "), "");
  std::string line = "keep,Mixé_9";
  LineCursor cursor(line.data(), line.data() + line.size());
  cursor.nextField(",");
  LineCursor::toUpper(cursor.nextField(","));
  EXPECT_EQ(line, "keep,MIXé_9");
}
