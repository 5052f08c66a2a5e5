#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "maskfile/MergerFile.h"
#include "qelmask/diff/DiffJson.h"
#include "qelmask/diff/DiffStat.h"
#include "qelmask/diff/DiffText.h"
#include "qelmask/diff/MaskDiff.h"
#include "qelmask/diff/MaskLines.h"

namespace {

// A mask file read as `qelmask diff` reads it: parsed, then sorted.
std::unique_ptr<MergerFile> read(const std::string& text, bool comments = true) {
  auto file = std::make_unique<MergerFile>(comments ? 1 : 0);
  std::ostringstream warnings;
  file->setConsole(warnings);
  file->parse(text);
  file->sort(0);
  return file;
}

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines `qelmask diff` prints for A and B.
std::vector<std::string> diff(const std::string& a, const std::string& b, bool comments = false) {
  auto fa = read(a, comments), fb = read(b, comments);
  std::string out;
  for (const MaskChange& change : MaskDiff::compare(*fa, *fb, comments))
    DiffText::append(out, change);
  return split(out);
}

using Lines = std::vector<std::string>;

const std::string kMask = "*MASK DEFAULT\n*ENTITY PART,DEFAULT,Part\n";
const std::string kAttr = "*ATTR V_status,PART.DEFAULT,N,Status,G1,3,$,N,OPEN\n";

}  // namespace

TEST(MaskDiff, TellsEachKindOfChangeOnItsOwnLineInTreeOrder) {
  std::string a = kMask + kAttr +
                  "+ACI READ,Y\n"
                  "+FILTER SITE,ALL\n"
                  "*ATTR V_old,PART.DEFAULT\n"
                  "+ACI WRITE,Y\n";
  std::string b = kMask +
                  "*ATTR V_status,PART.DEFAULT,N,Status,G1,3,$,N,\n"  // defval emptied
                  "+ACI READ,N\n"
                  "+ACI QUERY\n"
                  "+FILTER SITE,PARIS\n"
                  "*ENTITY DOC,DEFAULT\n";
  // Entities sort by name: DOC first.
  EXPECT_EQ(diff(a, b), (Lines{
                            "+ DEFAULT E::DOC (and 1 line below)",
                            "- DEFAULT E::PART/A::V_old (and 7 lines below)",
                            "~ DEFAULT E::PART/A::V_status/F::SITE: ALL -> PARIS",
                            "+ DEFAULT E::PART/A::V_status/X::QUERY[Y]",
                            "~ DEFAULT E::PART/A::V_status/X::READ: Y -> N",
                            "~ DEFAULT E::PART/A::V_status/_::defval: OPEN -> \"\"",
                        }));
  // Swapped files give the same lines the other way round.
  EXPECT_EQ(diff(b, a), (Lines{
                            "- DEFAULT E::DOC (and 1 line below)",
                            "+ DEFAULT E::PART/A::V_old (and 7 lines below)",
                            "~ DEFAULT E::PART/A::V_status/F::SITE: PARIS -> ALL",
                            "- DEFAULT E::PART/A::V_status/X::QUERY[Y]",
                            "~ DEFAULT E::PART/A::V_status/X::READ: N -> Y",
                            "~ DEFAULT E::PART/A::V_status/_::defval: \"\" -> OPEN",
                        }));
}

TEST(MaskDiff, FindsNoChangeWhereOnlyTheLayoutOfTheFileDiffers) {
  std::string a =
      "*MASK DEFAULT\n*ENTITY PART,DEFAULT\n*ENTITY DOC,DEFAULT\n"
      "*ATTR V_b,PART.DEFAULT\n+ACI READ,Y\n+ACI WRITE\n"
      "*ATTR V_a,PART.DEFAULT\n*ATTR V_c,DOC.DEFAULT\n";
  // Other separator, case, blanks, tabs, CRLF ends, attributes and lines in
  // another order, a null flag for its default.
  std::string b =
      "*SEPARATOR ;\r\n*mask DEFAULT\r\n*ENTITY DOC;DEFAULT\r\n*ATTR V_c ; DOC.DEFAULT\r\n"
      "*ENTITY\tPART;default\r\n*ATTR V_a;PART.DEFAULT\r\n*ATTR V_b;PART.DEFAULT\r\n"
      "+aci WRITE;$\r\n+ACI read;y\r\n";
  EXPECT_EQ(diff(a, b), Lines{});
  EXPECT_EQ(diff(a, a, true), Lines{});
}

TEST(MaskDiff, PairsSiblingsOfOneTypeAndNameByValueFirstThenInOrder) {
  struct Case {
    const char* what;
    std::string a, b;
    Lines expected;
  };
  const std::string head = kMask + "*ATTR V_x,PART.DEFAULT\n";
  const std::string id = "DEFAULT E::PART/A::V_x/X::READ";
  const std::vector<Case> cases{
      {"lines that moved", "+ACI READ,Y\n+ACI READ,N\n", "+ACI READ,N\n+ACI READ,Y\n", {}},
      {"one of two equal lines gone",
       "+ACI READ,Y\n+ACI READ,Y\n",
       "+ACI READ,Y\n",
       {"- " + id + "[Y]"}},
      {"one of two lines changed",
       "+ACI READ,Y\n+ACI READ,N\n",
       "+ACI READ,Y\n+ACI READ,Y\n",
       {"~ " + id + ": N -> Y"}},
      {"more changed than matched",
       "+ACI READ,A\n+ACI READ,B\n+ACI READ,C\n",
       "+ACI READ,C\n+ACI READ,D\n",
       {"~ " + id + ": A -> D", "- " + id + "[B]"}},
      {"one more in B", "+ACI READ,Y\n", "+ACI READ,Y\n+ACI READ,N\n", {"+ " + id + "[N]"}},
  };
  for (const Case& c : cases) EXPECT_EQ(diff(head + c.a, head + c.b), c.expected) << c.what;

  // An entity given twice: the second line makes a node of its own, and
  // the pairs are made in file order.
  std::string twice = kMask + "*ENTITY PART,DEFAULT,Again\n";
  EXPECT_EQ(diff(twice, kMask), (Lines{"- DEFAULT E::PART (and 1 line below)"}));
  EXPECT_EQ(diff(kMask, twice), (Lines{"+ DEFAULT E::PART (and 1 line below)"}));
}

// Siblings of one type and name are paired by sorting, never by a search
// of each among the others: tens of thousands of them take no time.
TEST(MaskDiff, PairsManyDuplicatesWithoutSearching) {
  std::string a = kMask + "*ATTR V_x,PART.DEFAULT\n";
  std::string b = a;
  constexpr int kCount = 49000;  // each flag as often in both
  for (int i = 0; i < kCount; ++i) {
    a += "+ACI READ," + std::to_string(i % 7) + "\n+VALUE X\n";
    b += "+ACI READ," + std::to_string((i + 3) % 7) + "\n+VALUE X\n";
  }
  b += "+VALUE X\n+ACI READ,0\n";
  EXPECT_EQ(diff(a, b), (Lines{"+ DEFAULT E::PART/A::V_x/X::READ[0]",
                               "+ DEFAULT E::PART/A::V_x/_::values/V::X"}));
}

TEST(MaskDiff, TellsTheOrderOfAListOnceAndOnlyWhenTheCommonValuesMoved) {
  const std::string head = kMask + kAttr;
  const std::string path = "DEFAULT E::PART/A::V_status/_::values";
  // A value added anywhere, or removed, keeps the order of the others.
  EXPECT_EQ(diff(head + "+VALUE A\n+VALUE B\n", head + "+VALUE C\n+VALUE A\n+VALUE B\n"),
            (Lines{"+ " + path + "/V::C"}));
  EXPECT_EQ(diff(head + "+VALUE A\n+VALUE B\n+VALUE C\n", head + "+VALUE A\n+VALUE C\n"),
            (Lines{"- " + path + "/V::B"}));
  // Values that moved: one line with both lists, before the values.
  EXPECT_EQ(diff(head + "+VALUE A\n+VALUE B\n+VALUE C\n", head + "+VALUE C\n+VALUE B\n+VALUE D\n"),
            (Lines{"~ " + path + ": order A, B, C -> C, B, D", "- " + path + "/V::A",
                   "+ " + path + "/V::D"}));
  // A value given twice counts as often as it stands.
  EXPECT_EQ(diff(head + "+VALUE X\n+VALUE Y\n+VALUE X\n", head + "+VALUE X\n+VALUE X\n+VALUE Y\n"),
            (Lines{"~ " + path + ": order X, Y, X -> X, X, Y"}));
  // Elsewhere the order of lines is the file's layout, not a change.
  EXPECT_EQ(diff(kMask + "*ATTR V_a,PART.DEFAULT\n*ATTR V_b,PART.DEFAULT\n",
                 kMask + "*ATTR V_b,PART.DEFAULT\n*ATTR V_a,PART.DEFAULT\n"),
            Lines{});
}

TEST(MaskDiff, TellsANodeOfOneFileOnceWithTheNodesBelowIt) {
  std::string a = "*MASK DEFAULT\n*MASK READERS\n";
  std::string b =
      kMask + kAttr + "+ACI READ,Y\n+VALUE A\n+VALUE B\n" + "*MASK EDITORS\n*ENTITY PART,EDITORS\n";
  // The entity: its alias; the attribute: six properties, the access
  // line, the list of values and its two values.
  EXPECT_EQ(diff(a, b), (Lines{"+ DEFAULT E::PART (and 12 lines below)",
                               "+ EDITORS (and 2 lines below)", "- READERS"}));
  auto fb = read(b);
  EXPECT_EQ(MaskDiff::countBelow(fb->getMask(std::string_view("DEFAULT"))), 12u + 1u);
}

TEST(MaskDiff, PairsMasksOfTheSameNameInOrderAndComparesTheirValues) {
  std::string a = "*MASK DEFAULT,,1\n*MASK ROLE\n*ENTITY PART,ROLE\n";
  std::string b = "*MASK DEFAULT,,2\n*MASK ROLE\n*ENTITY PART,ROLE\n*MASK ROLE\n";
  EXPECT_EQ(diff(a, b), (Lines{"~ DEFAULT: 1 -> 2", "+ ROLE"}));
}

TEST(MaskDiff, ComparesCommentsOnlyWhenAskedAndAsASetPerNode) {
  std::string a = "// the mask\n*MASK DEFAULT\n// parts\n// all of them\n*ENTITY PART,DEFAULT\n";
  std::string b =
      "// the mask\r\n*MASK DEFAULT\r\n// all of them\r\n// parts\r\n// more\r\n"
      "*ENTITY PART,DEFAULT\r\n";
  EXPECT_EQ(diff(a, b), Lines{});
  EXPECT_EQ(diff(a, b, true), (Lines{"+ DEFAULT E::PART: // more"}));
  EXPECT_EQ(diff(b, a, true), (Lines{"- DEFAULT E::PART: // more"}));
  // A comment above a line that makes no node belongs to no node.
  EXPECT_EQ(diff(a, a + "// where?\n*WHAT\n", true), Lines{});
}

TEST(MaskDiff, TellsNothingOfTheLinesTheReaderLeavesOut) {
  std::string a = kMask + kAttr;
  std::string b = a +
                  "*ATTR V_y,NOPART.DEFAULT\n+ACI READ,Y\n"  // an entity the mask lacks
                  "*ENTITY X,NOMASK\n"                       // a mask the file lacks
                  "garbage\n";
  EXPECT_EQ(diff(a, b), Lines{});
}

TEST(MaskLines, WritesEveryNodeWithItsIdentifierInTreeOrder) {
  std::string text =
      "*MASK DEFAULT,,v1\n*ENTITY PART,DEFAULT,Part\n"
      "*ATTR V_s,PART.DEFAULT,Y,Status,,,,$,B\n+VALUE B\n+VALUE A\n+ACI READ\n";
  auto file = read(text, false);
  std::ostringstream out;
  ASSERT_TRUE(MaskLines::write(out, *file));
  EXPECT_EQ(out.str(),
            "DEFAULT\t[v1]\n"
            "DEFAULT\tE::PART\n"
            "DEFAULT\tE::PART/A::V_s\n"
            "DEFAULT\tE::PART/A::V_s/X::READ[N]\n"
            "DEFAULT\tE::PART/A::V_s/_::alias[Status]\n"
            "DEFAULT\tE::PART/A::V_s/_::auth[N]\n"
            "DEFAULT\tE::PART/A::V_s/_::defval[B]\n"
            "DEFAULT\tE::PART/A::V_s/_::group\n"
            "DEFAULT\tE::PART/A::V_s/_::order\n"
            "DEFAULT\tE::PART/A::V_s/_::required[Y]\n"
            "DEFAULT\tE::PART/A::V_s/_::values\torder B, A\n"
            "DEFAULT\tE::PART/A::V_s/_::values/V::A\n"
            "DEFAULT\tE::PART/A::V_s/_::values/V::B\n"
            "DEFAULT\tE::PART/_::alias[Part]\n");
  // Lines in another order give the same text, but for the order of a list.
  auto moved = read(
      "*MASK DEFAULT,,v1\n*ENTITY PART,DEFAULT,Part\n"
      "*ATTR V_s,PART.DEFAULT,Y,Status,,,,$,B\n+ACI READ\n+VALUE A\n+VALUE B\n",
      false);
  std::ostringstream other;
  ASSERT_TRUE(MaskLines::write(other, *moved));
  Lines before = split(out.str()), after = split(other.str());
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].find("\torder") == std::string::npos) {
      EXPECT_EQ(before[i], after[i]);
    }
  }
  EXPECT_NE(out.str(), other.str());
}

TEST(DiffStat, CountsTheLinesByMaskEntityAndKindOfNode) {
  std::string a = kMask + kAttr + "+VALUE A\n+VALUE B\n*MASK OLD\n";
  std::string b = kMask + kAttr + "+VALUE B\n+VALUE A\n+VALUE C\n+ACI READ\n" +
                  "*ENTITY DOC,DEFAULT\n*ATTR V_x,DOC.DEFAULT\n";
  auto fa = read(a), fb = read(b);
  std::ostringstream out;
  DiffStat::write(out, MaskDiff::compare(*fa, *fb, false));
  EXPECT_EQ(out.str(),
            "By mask and entity:\n"
            "  DEFAULT    3 added, 1 changed\n"
            "    E::DOC   1 added\n"
            "    E::PART  2 added, 1 changed\n"
            "  OLD        1 removed (the whole mask)\n"
            "By kind of node:\n"
            "  mask         1 removed\n"
            "  entity       1 added\n"
            "  access line  1 added\n"
            "  value        1 added\n"
            "  value order  1 changed\n"
            "Total: 5 changes (3 added, 1 removed, 1 changed)\n");
  std::ostringstream none;
  DiffStat::write(none, MaskDiff::compare(*fa, *fa, false));
  EXPECT_EQ(none.str(), "");
}

TEST(DiffJson, CarriesEveryChangeAsValidJson) {
  std::string a = kMask + kAttr + "+VALUE A\n+VALUE B\n// \"quoted\"\n+ACI READ,Y\n";
  std::string b = kMask +
                  "*ATTR V_status,PART.DEFAULT,N,Status,G1,3,$,N,caf\xe9\n"  // Latin-1
                  "+VALUE B\n+VALUE A\n+ACI READ,Y\n*ENTITY DOC,DEFAULT\n";
  auto fa = read(a), fb = read(b);
  nlohmann::json data =
      nlohmann::json::parse(DiffJson::document(MaskDiff::compare(*fa, *fb, true)));
  EXPECT_EQ(data["format"], "qelmask-diff");
  EXPECT_EQ(data["version"], 1);
  const nlohmann::json& changes = data["changes"];
  ASSERT_EQ(changes.size(), 4u);
  EXPECT_EQ(changes[0], nlohmann::json::parse(R"({"change":"+","what":"node","mask":"DEFAULT",
      "node":"E::DOC","below":1,"before":null,"after":null})"));
  EXPECT_EQ(changes[1]["what"], "comment");
  EXPECT_EQ(changes[1]["change"], "-");
  EXPECT_EQ(changes[1]["node"], "E::PART/A::V_status/X::READ[Y]");
  EXPECT_EQ(changes[1]["before"], "// \"quoted\"");
  EXPECT_EQ(changes[1]["after"], nullptr);
  EXPECT_EQ(changes[2]["node"], "E::PART/A::V_status/_::defval");
  EXPECT_EQ(changes[2]["before"], "OPEN");
  EXPECT_EQ(changes[2]["after"], "caf\xc3\xa9");
  EXPECT_EQ(changes[3]["what"], "order");
  EXPECT_EQ(changes[3]["before"], nlohmann::json::parse(R"(["A","B"])"));
  EXPECT_EQ(changes[3]["after"], nlohmann::json::parse(R"(["B","A"])"));
}
