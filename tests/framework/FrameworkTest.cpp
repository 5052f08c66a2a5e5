#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "framework/TamLunFileIn.h"
#include "framework/TestSupport.h"
#include "framework/VexQelTrace.h"
#include "framework/VexRawCollPV.h"
#include "framework/VexToken.h"

using Words = std::vector<std::string>;
using S = std::string;

TEST(VexToken, SplitsOnBlankRunsOrOnAWholeSeparator) {
  const std::tuple<const char*, const char*, Words> cases[] = {
      {"  KEEP   NEW  E::X ", nullptr, {"KEEP", "NEW", "E::X", "", ""}},
      {"a,b", ",", {"a", "b", "", ""}},
      {",,x,", ",", {"", "", "x", "", ""}},
      {"a::b::::c", "::", {"a", "b", "", "c", ""}},
      {"a:b;::c", "::", {"a:b;", "c", ""}},
      {"", ",", {"", ""}}};
  for (const auto& [text, separator, expected] : cases) {
    VexToken token{VexUnicodeString(text)};
    Words got;
    while (got.size() < expected.size())
      got.push_back((separator ? token.GetNextToken(separator) : token.GetNextToken()).str());
    EXPECT_EQ(got, expected) << text;
  }
  VexToken mixed{VexUnicodeString("*ATTR V_id,PART.DEFAULT,Y")};  // both forms, one position
  std::string words = mixed.GetNextToken().str();
  words += "|" + mixed.GetNextToken(",").Strip(VexStripBoth, VexUnicodeChar(' ')).str();
  words += "|" + mixed.GetNextToken(",").str();
  words += "|" + mixed.GetNextToken().str();
  EXPECT_EQ(words, "*ATTR|V_id|PART.DEFAULT|Y");
}

TEST(TamLunFileIn, DeliversEveryLineAsBytesAndNoExtraOne) {
  // clang-format off
  const std::pair<S, Words> cases[] = {
      {"a\nb\n", {"a", "b"}}, {"a\nb", {"a", "b"}}, {"", {""}}, {"\n", {""}},
      {"a\n\nb\n\n", {"a", "", "b", ""}}, {"a\r\nb\r", {"a\r", "b\r"}},
      {S("a\0b\n\0", 5), {S("a\0b", 3), S(1, '\0')}}};
  // clang-format on
  ScratchDir dir;
  for (const auto& [bytes, expected] : cases) {
    TamLunFileIn file;
    file.open(dir.write("in.txt", bytes).c_str());
    ASSERT_TRUE(file.good());
    Words lines;
    VexUnicodeString line;
    do {
      file.readLine(line);
      lines.push_back(line.str());
    } while (!file.eof() && lines.size() <= expected.size());
    EXPECT_EQ(lines, expected) << testing::PrintToString(bytes);
  }
}

TEST(TamLunFileIn, DirectoryIsNotGood) {
  ScratchDir dir;
  TamLunFileIn file;
  file.open(dir.root.c_str());
  EXPECT_FALSE(file.good());
}

TEST(TamLunFileIn, UnreadableFileIsNotGood) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  ScratchDir dir;
  S name = dir.write("locked.txt", "a\n");
  chmod(name.c_str(), 0);
  TamLunFileIn file;
  file.open(name.c_str());
  EXPECT_FALSE(file.good());
}

TEST(VexRawCollPV, QuickSortKeepsTheOrderOfEqualKeys) {
  int items[40];
  VexRawCollPV coll(0);
  for (int i = 0; i < 40; ++i) coll.Append(&(items[i] = i));
  coll.QuickSort([](const void* a, const void* b) {
    return *static_cast<const int*>(a) % 3 - *static_cast<const int*>(b) % 3;
  });
  for (int i = 2; i <= coll.Size(); ++i) {
    int prev = *static_cast<int*>(coll[i - 1]), cur = *static_cast<int*>(coll[i]);
    EXPECT_TRUE(prev % 3 < cur % 3 || (prev % 3 == cur % 3 && prev < cur)) << i;
  }
}

TEST(VexRawCollPV, RemoveValueTakesOutTheFirstSlotOfThatPointerOnly) {
  int a = 1, b = 2, c = 3, never = 4;
  VexRawCollPV coll(0);
  for (int* p : {&a, &b, &a, &c}) coll.Append(p);
  coll.RemoveValue(&a);
  coll.RemoveValue(&never);
  ASSERT_EQ(coll.Size(), 3);
  EXPECT_EQ(coll[1], &b);
  EXPECT_EQ(coll[2], &a);
  EXPECT_EQ(coll[3], &c);
  EXPECT_EQ(a, 1);  // the object itself is untouched
}

// Part of the string type's fixed interface that neither program calls
// today: searching and replacing work on bytes, a whole occurrence at a
// time, left to right, so a replacement is never searched again.
TEST(VexUnicodeString, SearchReplaceAndNumbersWorkOnWholeOccurrences) {
  const S bytes("a,b\0,,c", 7);
  // clang-format off
  const std::tuple<S, S, int, int> searches[] = {
      {"a,b,,c", ",", 0, 1}, {"a,b,,c", ",", 2, 3}, {"a,b,,c", ",,", 0, 3}, {"a,b,,c", ",", 5, -1},
      {"a,b,,c", "x", 0, -1}, {"a,b,,c", "c", 6, -1}, {bytes, ",", 2, 4}, {bytes, S(1, '\0'), 0, 3}};
  // clang-format on
  for (const auto& [text, what, start, expected] : searches) {
    EXPECT_EQ(
        VexUnicodeString(text).SearchSubString(VexUnicodeString(what), start, VexSearchForward),
        expected)
        << testing::PrintToString(text) << " " << what << " from " << start;
  }
  // clang-format off
  const std::tuple<S, S, S, S> replacements[] = {
      {"a::b::c", "::", "/", "a/b/c"}, {"aaa", "aa", "b", "ba"}, {"ab", "a", "aa", "aab"},
      {"abc", "x", "y", "abc"}, {"a,b", ",", "", "ab"}, {bytes, S(1, '\0'), "0", "a,b0,,c"}};
  // clang-format on
  for (const auto& [text, what, by, expected] : replacements) {
    VexUnicodeString replaced(text);
    replaced.ReplaceAll(VexUnicodeString(what), VexUnicodeString(by));
    EXPECT_EQ(replaced.str(), expected) << testing::PrintToString(text) << " " << what;
  }
  for (int number : {0, -7, 1234567, INT_MAX, INT_MIN}) {
    VexUnicodeString text("previous text");
    text.BuildFromNum(number, "%d");
    EXPECT_EQ(text.str(), std::to_string(number));
  }
  EXPECT_EQ(VexUnicodeString("  a  b ").Strip(VexStripBoth, VexUnicodeChar(' ')).str(), "a  b");
  EXPECT_EQ(VexUnicodeString("   ").Strip(VexStripBoth, VexUnicodeChar(' ')).str(), "");
}

TEST(VexUnicodeString, CompareIsByteWiseNormalisedAndToUpperAsciiOnly) {
  // clang-format off
  const std::tuple<S, S, int> cases[] = {
      {"a", "z", -1}, {"c", "", 1}, {"ab", "a", 1}, {"a", "ab", -1}, {"", "", 0}, {"\xe9", "z", 1},
      {S("a\0b", 3), S("a\0c", 3), -1}, {S("a\0", 2), "a", 1}, {S("a\0b", 3), S("a\0b", 3), 0}};
  // clang-format on
  for (const auto& [a, b, expected] : cases) {
    EXPECT_EQ(VexUnicodeString(a).Compare(VexUnicodeString(b)), expected)
        << testing::PrintToString(a) << " vs " << testing::PrintToString(b);
  }
  VexUnicodeString text("az`{@[\xe9\xc3\xa9 mIx_9");
  text.ToUpper();
  EXPECT_EQ(text.str(), "AZ`{@[\xe9\xc3\xa9 MIX_9");
}

TEST(VexQelTrace, ChannelListIsCommaSeparatedAndExact) {
  // clang-format off
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"Main", "Main", true}, {" Main , X", "Main", true}, {" Main , X", "X", true},
      {"X, * ", "MergerRule", true}, {"main", "Main", false}, {"MainX", "Main", false},
      {"Ma in", "Main", false}, {"", "Main", false}, {",", "Main", false},
      {"MergerObj", "MergerRule", false}};
  // clang-format on
  for (const auto& [list, name, listed] : cases)
    EXPECT_EQ(VexQelTrace::IsListed(list, name), listed) << "[" << list << "] " << name;
}
