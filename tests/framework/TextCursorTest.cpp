#include <gtest/gtest.h>

#include <random>
#include <string>

#include "framework/TextCursor.h"
#include "framework/VexToken.h"

// The readers cut lines without copies; they must cut them exactly as the
// tool's tokenizer does, words and pieces mixed on one line, with separators
// of one or more characters (or none at all).
TEST(TextCursor, CutsLikeTheTokenizer) {
  std::mt19937 random(11);
  const std::string alphabet = " ,;|:ab";
  const char* separators[] = {",", ";", "||", "::", "|,|", "", "a"};
  for (int i = 0; i < 20000; ++i) {
    std::string line(random() % 14, ' ');
    for (char& c : line) c = alphabet[random() % alphabet.size()];
    std::string separator = separators[random() % std::size(separators)];
    TextCursor cursor(line);
    VexToken token{VexUnicodeString(line)};
    for (int piece = 0; piece < 8; ++piece) {
      bool word = random() % 3 == 0;
      std::string expected =
          (word ? token.GetNextToken() : token.GetNextToken(VexUnicodeString(separator))).str();
      std::string got(word ? cursor.nextWord() : cursor.nextPiece(separator));
      ASSERT_EQ(got, expected) << "line [" << line << "] separator [" << separator << "] piece "
                               << piece << (word ? " (word)" : " (field)");
    }
  }
}

TEST(TextCursor, StripsBlanksOnly) {
  EXPECT_EQ(TextCursor::stripBlanks("  a b \t "), "a b \t");
  EXPECT_EQ(TextCursor::stripBlanks("   "), "");
}
