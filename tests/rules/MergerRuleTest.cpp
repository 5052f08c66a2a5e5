#include <gtest/gtest.h>

#include <memory>

#include "framework/TestSupport.h"
#include "rules/MergerRule.h"
#include "tree/MergerObj.h"

namespace {

// The rule list is global: every test starts and ends with it empty.
struct RuleList : testing::Test {
  void SetUp() override { MergerRule::end(); }
  void TearDown() override { MergerRule::end(); }
};

// Codes, number, the chain from the rule down (">" between nodes, "*" on the
// node `last` points to) and the path text of a rule.
std::string describe(const MergerRule* rule) {
  std::string text = std::to_string(rule->isAny()) + std::to_string(rule->keep()) +
                     std::to_string(rule->nodeRef()) + std::to_string(rule->nodeCusto()) + " #" +
                     std::to_string(rule->getNumber()) + " ";
  for (const MergerNode* node = rule; node;
       node = node->getChildCount() ? node->getChild(1) : nullptr) {
    text +=
        node->getType().str() + "::" + node->getName().str() + (node == rule->last() ? "*" : "");
    text += node->getChildCount() > 1 ? "+" : node->getChildCount() ? ">" : "";
  }
  return text + " " + rule->id().str();
}

}  // namespace

TEST(Split, CutsAtTheFirstSeparatorAndRejectsEmptyParts) {
  // clang-format off
  const std::tuple<const char*, int, const char*> cases[] = {
      {"::X", 0, "t|i"}, {"E::", 0, "t|i"}, {"E", 0, "t|i"}, {"::", 0, "t|i"}, {"", 0, "t|i"},
      {"E:X", 0, "t|i"}, {"E::PART", 1, "E|PART"}, {"A::x::y", 1, "A|x::y"}, {"E:::", 1, "E|:"},
      {"_::*", 1, "_|*"}};
  // clang-format on
  for (const auto& [element, accepted, parts] : cases) {
    VexUnicodeString type("t"), id("i");
    EXPECT_EQ(split(element, type, id), accepted) << element;
    EXPECT_EQ(type.str() + "|" + id.str(), parts) << element;
  }
}

TEST_F(RuleList, AcceptedLinesBecomeChainsInFileOrder) {
  const std::pair<const char*, const char*> cases[] = {
      {"keep new E::*/A::V_id", "0110 #1 E::*>A::V_id* E::*/A::V_id"},
      {"IGNORE CUSTO //_::alias", "1001 #2 _::alias* //_::alias"},
      {"Keep Custo E::PART//A::V_id", "0101 #3 E::PART* E::PART//A::V_id"},
      {"ignore new //A::V_id/_::alias", "1010 #4 A::V_id* //A::V_id/_::alias"},
      {"  KEEP   NEW   E::A/A::B/_::C  more", "0110 #5 E::A>A::B>_::C* E::A/A::B/_::C"}};
  int number = 0;
  for (const auto& [line, expected] : cases) {
    MergerRule* rule = MergerRule::addRule(line, ++number);
    ASSERT_NE(rule, nullptr) << line;
    EXPECT_EQ(describe(rule), expected);
    EXPECT_EQ(MergerRule::_lRules[number], rule);
  }
  MergerRule::end();
  EXPECT_EQ(MergerRule::_lRules.Size(), 0);
}

TEST_F(RuleList, RejectedLinesWarnAndLeaveTheListAsItWas) {
  MergerRule* kept = MergerRule::addRule("KEEP NEW E::PART", 1);
  const std::pair<const char*, const char*> cases[] = {
      {"kept new E::X", "Warning [line 4]: Invalid Action keyword [KEPT]\n"},
      {"keep old E::X", "Warning [line 4]: Invalid Action Node keyword [OLD]\n"},
      {"keep new E::PART/attr", "Warning [line 4]: Invalid Node [attr]\n"},
      {"keep new E::A/A::B/C::", "Warning [line 4]: Invalid Node [C::]\n"},
      {"keep new ::X", "Warning [line 4]: Invalid Node [::X]\n"},
      {"keep new //", "Warning [line 4]: Invalid Node []\n"},
      {"keep new %s%n", "Warning [line 4]: Invalid Node [%s%n]\n"},
      {"keep new", ""},
      {"keep new /E::X", ""},
      {"", ""}};
  for (const auto& [line, warning] : cases) {
    StdoutCapture out;
    EXPECT_EQ(MergerRule::addRule(line, 4), nullptr) << line;
    EXPECT_EQ(out.text(), warning) << line;
    ASSERT_EQ(MergerRule::_lRules.Size(), 1) << line;
    EXPECT_EQ(MergerRule::_lRules[1], kept);
  }
  EXPECT_EQ(MergerRule::addRule(nullptr, 4), nullptr);
}

namespace {

// DEFAULT / PART (alias, V_id / alias) and DEFAULT / OTHER / V_id.
struct Matching : RuleList {
  std::unique_ptr<MergerObj> mask{new MergerObj(nullptr, 1, "M", "DEFAULT", "", 'N')};
  MergerObj* part = new MergerObj(mask.get(), 2, "E", "PART", "", 'N');
  MergerObj* partAlias = new MergerObj(part, 2, "_", "alias", "P", 'N');
  MergerObj* vid = new MergerObj(part, 3, "A", "V_id", "", 'N');
  MergerObj* vidAlias = new MergerObj(vid, 3, "_", "alias", "", 'N');
  MergerObj* otherVid =
      new MergerObj(new MergerObj(mask.get(), 4, "E", "OTHER", "", 'N'), 5, "A", "V_id", "", 'N');
  StdoutCapture quiet;  // the walk is traced when the channels are on
};

}  // namespace

TEST_F(Matching, AnchoredPathsStartBelowTheMaskAnyDepthPathsAnywhere) {
  // clang-format off
  const std::tuple<const char*, MergerObj*, int, int, int> cases[] = {
      {"KEEP NEW E::*/A::V_id", vid, 1, 0, 1}, {"KEEP NEW E::*/A::V_id", otherVid, 1, 0, 1},
      {"KEEP NEW E::*/A::V_id", vidAlias, 1, 0, 0}, {"KEEP NEW E::*/A::V_id", vid, 2, 0, 0},
      {"KEEP NEW E::*/A::V_id", vid, 1, 1, 0}, {"IGNORE CUSTO E::PART/A::*", vid, 2, 1, 1},
      {"KEEP NEW E::PART/A::V_id", otherVid, 1, 0, 0}, {"KEEP NEW A::V_id", vid, 1, 0, 0},
      {"KEEP NEW _::alias", partAlias, 1, 0, 0}, {"KEEP NEW //_::alias", partAlias, 1, 0, 1},
      {"KEEP NEW //_::*", vidAlias, 1, 0, 1}, {"KEEP NEW //A::V_id/_::alias", vid, 1, 0, 1},
      {"KEEP NEW //E::PART", part, 1, 0, 1}, {"KEEP NEW M::DEFAULT/E::PART", part, 1, 0, 1},
      {"KEEP NEW X::Y/M::DEFAULT/E::PART", part, 1, 0, 0}, {"KEEP NEW e::PART", part, 1, 0, 0},
      {"KEEP NEW E::part", part, 1, 0, 0}, {"KEEP NEW E::PART", nullptr, 1, 0, 0}};
  // clang-format on
  for (auto [line, node, action, code, expected] : cases) {
    MergerRule::end();
    EXPECT_EQ(MergerRule::addRule(line, 1)->matches(action, code, node), expected)
        << line << " on " << (node ? node->getName().str() : "null");
  }
}

TEST_F(Matching, FirstRuleInFileOrderDecides) {
  int choice = 0;
  // Recommendation: ignore the customer's node; alternative: keep it.
  auto check = [&](MergerObj* node) {
    MergerRule* rule = MergerRule::checkRule(2, 1, node, 1, 1, node, choice);
    return (rule ? std::to_string(rule->getNumber()) : "none") + "/" + std::to_string(choice);
  };
  EXPECT_EQ(check(vid), "none/1");
  MergerRule::addRule("KEEP NEW //A::V_id", 2);  // the codes agree with neither decision
  EXPECT_EQ(check(vid), "none/1");
  MergerRule::addRule("KEEP CUSTO E::PART/A::V_id", 5);  // fits the alternative only
  MergerRule::addRule("IGNORE CUSTO //A::V_id", 7);      // fits the recommendation
  EXPECT_EQ(check(vid), "5/2");
  EXPECT_EQ(check(otherVid), "7/1");
  choice = 42;
  EXPECT_EQ(MergerRule::checkRule(2, 1, nullptr, 1, 1, vid, choice), nullptr);
  EXPECT_EQ(MergerRule::checkRule(2, 1, vid, 1, 1, nullptr, choice), nullptr);
  EXPECT_EQ(choice, 42);
}
