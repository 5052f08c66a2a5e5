#include <gtest/gtest.h>

#include "framework/TestSupport.h"
#include "qelmask/git/AttributesFile.h"
#include "qelmask/git/DriverSettings.h"

namespace {

const std::string kLine(DriverSettings::kAttributesLine);

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(AttributesFile, FindsTheLineInAnyOrderAndSpacing) {
  for (const char* content :
       {"*.msk merge=qelmask diff=qelmask\n", "*.txt text\n*.msk  diff=qelmask\tmerge=qelmask\r\n",
        "# masks\n   *.msk merge=qelmask diff=qelmask"}) {
    EXPECT_TRUE(AttributesFile::holds(content, kLine)) << content;
  }
  for (const char* content :
       {"", "*.msk merge=qelmask\n", "*.msk merge=qelmask diff=qelmask -text\n",
        "# *.msk merge=qelmask diff=qelmask\n", "*.MSK merge=qelmask diff=qelmask\n"}) {
    EXPECT_FALSE(AttributesFile::holds(content, kLine)) << content;
  }
}

TEST(AttributesFile, AddsTheLineOnceAfterWhatIsThere) {
  ScratchDir scratch;
  std::string path = scratch.write(".gitattributes", "*.png binary");  // no final line feed
  bool added = false;
  std::string error;
  ASSERT_TRUE(AttributesFile::ensure(path, kLine, added, error)) << error;
  EXPECT_TRUE(added);
  ASSERT_TRUE(AttributesFile::ensure(path, kLine, added, error)) << error;
  EXPECT_FALSE(added);
  EXPECT_EQ(read(path), "*.png binary\n" + kLine + "\n");
}

TEST(AttributesFile, CreatesTheUsersFileAndItsFolders) {
  ScratchDir scratch;
  std::string path = scratch.root + "/home/.config/git/attributes";
  bool added = false;
  std::string error;
  ASSERT_TRUE(AttributesFile::ensure(path, kLine, added, error)) << error;
  EXPECT_TRUE(added);
  EXPECT_EQ(read(path), kLine + "\n");

  std::string folder = scratch.root + "/home/.config/git";
  EXPECT_FALSE(AttributesFile::ensure(folder, kLine, added, error));
  EXPECT_EQ(error, "exists and is not a regular file");
}
