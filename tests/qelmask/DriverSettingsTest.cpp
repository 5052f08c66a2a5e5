#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "qelmask/git/DriverSettings.h"
#include "qelmask/git/ShellWord.h"

TEST(ShellWord, QuotesWhatTheShellWouldReadOtherwise) {
  struct Case {
    const char* word;
    const char* quoted;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"/usr/bin/qelmask", "/usr/bin/qelmask"},
           {"/srv/rules-2.0_final+x,y:z@h.txt", "/srv/rules-2.0_final+x,y:z@h.txt"},
           {"/home/ann/My Rules/rules.txt", "'/home/ann/My Rules/rules.txt'"},
           {"/tmp/it's.txt", "'/tmp/it'\\''s.txt'"},
           {"/tmp/$HOME;rm -rf *", "'/tmp/$HOME;rm -rf *'"},
           {"~/rules.txt", "'~/rules.txt'"},
           {"a\"b`c\\d", "'a\"b`c\\d'"},
           {"", "''"}}) {
    EXPECT_EQ(ShellWord::quoted(c.word), c.quoted) << c.word;
  }
}

TEST(DriverSettings, NamesQelmaskAsGitWillFindIt) {
  EXPECT_EQ(DriverSettings::program("qelmask"), "qelmask");
  EXPECT_EQ(DriverSettings::program("/opt/q/bin/qelmask"), "/opt/q/bin/qelmask");
  // A path from the working folder: git runs the driver from elsewhere.
  std::filesystem::path here = std::filesystem::current_path();
  EXPECT_EQ(DriverSettings::program("./build/../build/qelmask"), (here / "build/qelmask").string());
}

TEST(DriverSettings, WritesTheDriverAndTheTextConversion) {
  std::vector<DriverSettings::Entry> plain = DriverSettings::entries("qelmask", "");
  ASSERT_EQ(plain.size(), 3u);
  EXPECT_EQ(plain[0].key, "merge.qelmask.name");
  EXPECT_EQ(plain[0].value, "qelmask: merge of security masks");
  EXPECT_EQ(plain[1].key, "merge.qelmask.driver");
  EXPECT_EQ(plain[1].value, "qelmask git-merge %O %A %B %P");
  EXPECT_EQ(plain[2].key, "diff.qelmask.textconv");
  EXPECT_EQ(plain[2].value, "qelmask lines");

  std::vector<DriverSettings::Entry> spaced =
      DriverSettings::entries("/opt/Q tools/qelmask", "/srv/site rules/rules.txt");
  EXPECT_EQ(spaced[1].value,
            "'/opt/Q tools/qelmask' git-merge %O %A %B %P --rules '/srv/site rules/rules.txt'");
  EXPECT_EQ(spaced[2].value, "'/opt/Q tools/qelmask' lines");
}
