#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "maskfile/MergerFile.h"
#include "qelmask/session/ReadLog.h"

namespace {

// A small mask as the writer writes it in `layout`, header included.
std::string writtenMask(MaskLayout layout) {
  MergerFile file(1);
  file.parse("*MASK DEFAULT\n*ENTITY PART,DEFAULT,Part\n+ACI READ,Y\n");
  file.sort(0);
  std::ostringstream out;
  EXPECT_TRUE(file.writeTo(out, layout, nullptr));
  return out.str();
}

long lineCount(const std::string& text) {
  return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
}

// The comment lines above the first line that is not one.
long headerLines(const std::string& text) {
  std::istringstream in(text);
  long count = 0;
  for (std::string line; std::getline(in, line) && line.rfind("//", 0) == 0;) ++count;
  return count;
}

using Seen = std::tuple<long, std::string, bool>;  // line, text, a comment

std::vector<Seen> seen(const std::vector<const ReadLog::Entry*>& entries) {
  std::vector<Seen> out;
  out.reserve(entries.size());
  for (const ReadLog::Entry* entry : entries)
    out.emplace_back(entry->line, entry->text, entry->comment);
  return out;
}

// Reads `bytes` as the customer's mask is read, telling `log`.
void readInto(const std::string& bytes, ReadLog& log) {
  MergerFile file(1);
  std::ostringstream console;
  file.setConsole(console);
  file.setObserver(&log);
  file.parse(bytes);
}

}  // namespace

// A customer mask that is an earlier output starts with the header the
// writer prints; the reader drops it like any comment above the separator
// line, but it is no comment of the customer's: it is neither lost nor an
// ignored line. What the customer added is still reported, in line order
// (the comment above an attribute of a missing entity is told after it).
TEST(ReadLog, PassesOverTheHeaderOfAnEarlierOutputInEitherLayout) {
  const std::string legacy = writtenMask(MaskLayout::kLegacy);
  const std::string readBack = writtenMask(MaskLayout::kReadBack);
  // Otherwise there would be nothing to pass over; the read-back layout
  // names itself in one more header line.
  ASSERT_GT(headerLines(legacy), 0);
  ASSERT_GT(headerLines(readBack), headerLines(legacy));
  for (const std::string& written : {legacy, readBack}) {
    const long end = lineCount(written);
    ReadLog log;
    readInto(written +
                 "// on a missing entity\n"
                 "*ATTR V_x,GHOST.DEFAULT,N\n"
                 "// after the last line\n",
             log);
    EXPECT_EQ(seen(log.reported()),
              (std::vector<Seen>{{end + 1, "// on a missing entity", true},
                                 {end + 2, "*ATTR V_x,GHOST.DEFAULT,N", false},
                                 {end + 3, "// after the last line", true}}))
        << written;
    EXPECT_EQ(seen(log.droppedComments()),
              (std::vector<Seen>{{end + 1, "// on a missing entity", true},
                                 {end + 3, "// after the last line", true}}))
        << written;
  }
}

// Only the header's own lines are passed over: a customer's comment that
// merely resembles one of them is the customer's.
TEST(ReadLog, KeepsCommentsThatOnlyResembleTheHeader) {
  const std::string legacy = writtenMask(MaskLayout::kLegacy);
  std::istringstream header(legacy);
  std::vector<std::string> near;
  for (std::string line; std::getline(header, line) && line.rfind("//", 0) == 0;)
    near.push_back(line + " (site copy)");
  std::string customer;
  for (const std::string& line : near) customer += line + "\n";
  ReadLog log;
  readInto(customer + "*SEPARATOR ,\n*MASK DEFAULT\n", log);
  std::vector<Seen> expected;
  for (size_t i = 0; i < near.size(); ++i)
    expected.emplace_back(static_cast<long>(i) + 1, near[i], true);
  EXPECT_EQ(seen(log.droppedComments()), expected);
}
