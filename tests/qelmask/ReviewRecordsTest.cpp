#include <gtest/gtest.h>

#include "qelmask/summary/ReviewRecords.h"

TEST(ReviewRecords, RemovesEachRecordAndKeepsEveryOtherLine) {
  const std::string choice = "// CHOICE     : ADD    NEW(n+1) [E::X]\n";
  const std::string alternative = "// ALTERNATIVE: IGNORE NEW(n+1) [E::X]\n";
  const std::string finally = "// ==> FINALLY: RECOMMENDATION [no rule matched]\n";
  struct Case {
    std::string merged, stripped;
    int records, lines;
  };
  const Case cases[] = {
      // A record above a node, with the customer's comment under it.
      {choice + alternative + finally + "// ACME: ours\n*ENTITY X,DEFAULT\n",
       "// ACME: ours\n*ENTITY X,DEFAULT\n", 1, 3},
      // An ignored node leaves its record alone: all of it goes.
      {"*MASK DEFAULT\n" + choice + alternative + finally, "*MASK DEFAULT\n", 1, 3},
      // Without a choice line the record is two lines.
      {choice + alternative + "+ACI READ,Y\n", "+ACI READ,Y\n", 1, 2},
      // Two records in a row.
      {choice + alternative + finally + choice + alternative + finally + "+VALUE A", "+VALUE A", 2,
       6},
      // A CHOICE line alone is somebody's comment, as is a lone FINALLY.
      {choice + "*ENTITY X,DEFAULT\n" + finally, choice + "*ENTITY X,DEFAULT\n" + finally, 0, 0},
      // An indented record line is no record line.
      {" " + choice + alternative, " " + choice + alternative, 0, 0},
      {"", "", 0, 0},
  };
  for (const Case& c : cases) {
    std::string out;
    ReviewRecords::Count count = ReviewRecords::strip(c.merged, out);
    EXPECT_EQ(out, c.stripped) << c.merged;
    EXPECT_EQ(count.records, c.records) << c.merged;
    EXPECT_EQ(count.lines, c.lines) << c.merged;
    EXPECT_EQ(ReviewRecords::count(c.merged).records, c.records) << c.merged;
  }
}
