// Members of the mask file's fixed interface that the programs no longer
// call (they read whole files and write whole files): each must still do
// what its siblings on the programs' path do.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framework/FileStore.h"
#include "framework/TamLunFileOut.h"
#include "framework/TestSupport.h"
#include "maskfile/MergerFile.h"
#include "rules/MergerRule.h"

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string written(MergerFile& file) {
  std::ostringstream out;
  EXPECT_TRUE(file.writeTo(out));
  return out.str();
}

}  // namespace

// Lines handed over one at a time build what reading the whole file builds,
// with the same warnings and line numbers; each comes back as the reader
// cleaned it (tabs made blanks, carriage returns and outer blanks gone),
// comments and lines too short to hold anything as they were.
TEST(MergerFile, OneLineAtATimeReadsAsTheWholeFileDoes) {
  const std::vector<std::pair<std::string, std::string>> lines = {
      {"*MASK DEFAULT", "*MASK DEFAULT"},
      {"\t*entity  PART,default,Part \r", "*entity  PART,default,Part"},
      {"// kept comment\r", "// kept comment\r"},
      {"", ""},
      {"x", "x"},
      {"*ATTR V_id , PART.DEFAULT,Y", "*ATTR V_id , PART.DEFAULT,Y"},
      {"\t \r", ""},
      {"+ACI\tREAD,y", "+ACI READ,y"},
      {"BOGUS line ", "BOGUS line"}};
  std::string whole;
  for (const auto& [line, cleaned] : lines) whole += line + "\n";
  MergerFile byFile(1), byLine(1);
  std::ostringstream fileConsole, lineConsole;
  byFile.setConsole(fileConsole);
  byLine.setConsole(lineConsole);
  byFile.parse(whole);
  for (const auto& [line, cleaned] : lines) {
    VexUnicodeString text(line);
    byLine.oneLine(text);
    EXPECT_EQ(text.str(), cleaned) << testing::PrintToString(line);
  }
  EXPECT_EQ(byLine.getLineCount(), static_cast<long>(lines.size()));
  EXPECT_EQ(lineConsole.str(), fileConsole.str());
  EXPECT_NE(lineConsole.str().find("line 9 ignored [BOGUS line]"), std::string::npos);
  byFile.sort(0);
  byLine.sort(0);
  EXPECT_EQ(written(byLine), written(byFile));
}

// The reader gives an access, filter or value line to its current node; a
// node made current from outside takes the lines that follow.
TEST(MergerFile, TheCurrentNodeTakesTheLinesThatFollow) {
  MergerFile file(1);
  file.parse("*MASK DEFAULT\n*ENTITY DOC,DEFAULT\n*ENTITY PART,DEFAULT\n");
  MergerObj* mask = file.getMask(std::string_view("DEFAULT"));
  ASSERT_NE(mask, nullptr);
  MergerObj* doc = mask->findChild("E", "DOC");
  MergerObj* part = mask->findChild("E", "PART");
  EXPECT_EQ(file.getCurrent(), part);
  file.setCurrent(doc);
  EXPECT_EQ(file.getCurrent(), doc);
  VexUnicodeString line("+ACI READ,Y");
  file.oneLine(line);
  EXPECT_NE(doc->findChild("X", "READ"), nullptr);
  EXPECT_EQ(part->findChild("X", "READ"), nullptr);
}

// Writing the masks one node at a time gives the lines of the whole file
// after its header, review records and left-out nodes included.
TEST(MergerFile, SaveNodeWritesANodeAsTheWholeFileWritesIt) {
  const std::string mask =
      "*MASK DEFAULT\n*ENTITY PART,DEFAULT,Part\n*ATTR V_old,PART.DEFAULT,N,Old\n";
  MergerFile ref(1), neu(1), custo(1), result(1);
  ref.parse(mask);
  neu.parse(
      "*MASK DEFAULT\n*ENTITY PART,DEFAULT,Part\n*ATTR V_new,PART.DEFAULT,N,New\n"
      "+VALUE B\n+VALUE A\n");
  custo.parse(mask + "// still used\n+ACI READ,Y\n*MASK WEB\n*ENTITY PART,WEB\n");
  for (MergerFile* file : {&ref, &neu, &custo}) file->sort(0);
  std::ostringstream console;
  custo.setConsole(console);
  MergerRule::end();
  ASSERT_EQ(custo.merge(ref, neu, result), 0);
  result.setSeparator(";");

  const std::vector<std::string> whole = linesOf(written(result));
  size_t body = 0;
  while (body < whole.size() && whole[body].rfind("*SEPARATOR", 0) != 0) ++body;
  ASSERT_LT(body, whole.size());
  const std::vector<std::string> expected(whole.begin() + static_cast<long>(body) + 1, whole.end());

  MemoryFileStore files;
  FileStore* disk = FileStore::install(&files);
  {
    TamLunFileOut out;
    out.open("nodes.msk");
    ASSERT_TRUE(out.good());
    for (int i = 1; i <= result.getMaskCount(); ++i) result.saveNode(out, result.getMaskAt(i));
    out.close();
  }
  FileStore::install(disk);
  EXPECT_EQ(linesOf(files.files["nodes.msk"]), expected);
  // What the comparison covers: both masks, a record, a left-out node.
  const std::string text = files.files["nodes.msk"];
  EXPECT_NE(text.find("*MASK WEB\n"), std::string::npos);
  EXPECT_NE(text.find("// ALTERNATIVE: KEEP   CUSTO(n) [E::PART/A::V_old]\n"), std::string::npos);
  EXPECT_EQ(text.find("*ATTR V_old"), std::string::npos);
  EXPECT_NE(text.find("+VALUE B\n+VALUE A\n"), std::string::npos);
}

// The index of entities serves the reading: dropped once a whole file is
// read, it comes back for lines read after all, and still finds the first
// of the entities of one name, wherever they were read.
TEST(MergerFile, ALineReadAfterTheWholeFileStillFindsItsEntity) {
  MergerFile file(1);
  std::ostringstream console;
  file.setConsole(console);
  file.parse("*MASK DEFAULT\n*ENTITY PART,DEFAULT,First\n*ENTITY PART,DEFAULT,Second\n");
  file.sort(0);
  for (const char* text : {"*ENTITY PART,DEFAULT,Third", "*ATTR V_id,PART.DEFAULT,Y"}) {
    VexUnicodeString line(text);
    file.oneLine(line);
  }
  MergerObj* mask = file.getMask(VexUnicodeString("DEFAULT"));
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(mask->childCount(), 3u);
  MergerObj* first = mask->childAt(0);
  EXPECT_EQ(first->findChild("_", "alias")->value(), "First");
  EXPECT_NE(first->findChild("A", "V_id"), nullptr);
  EXPECT_EQ(mask->childAt(1)->findChild("A", "V_id"), nullptr);
  EXPECT_EQ(mask->childAt(2)->findChild("A", "V_id"), nullptr);
  EXPECT_EQ(console.str(), "");
}
