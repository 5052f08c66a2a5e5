#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "framework/TestSupport.h"
#include "platform/OutputGuard.h"

namespace fs = std::filesystem;

TEST(OutputGuard, RefusesTheRunsOwnFilesThroughAnyName) {
  ScratchDir dir;
  std::string custo = dir.write("custo.msk", "*MASK DEFAULT\n");
  fs::create_symlink("custo.msk", dir.root + "/link.msk");
  fs::create_hard_link(custo, dir.root + "/hard.msk");
  fs::create_directory(dir.root + "/sub");
  OutputGuard guard({{"the input", custo}, {"the rule file", ""}}, true);
  const std::string refused = "is the same file as the input " + custo + "; choose another output";
  for (const std::string name : {"custo.msk", "link.msk", "hard.msk", "sub/../custo.msk"}) {
    EXPECT_EQ(guard.refusal(dir.root + "/" + name), refused) << name;
  }
}

TEST(OutputGuard, ANewFileIsComparedByItsPath) {
  ScratchDir dir;
  OutputGuard guard({{"the output", dir.root + "/out.msk"}}, false);
  EXPECT_EQ(guard.refusal(dir.root + "/./out.msk"),
            "is the same file as the output " + dir.root + "/out.msk; choose another output");
  EXPECT_EQ(guard.refusal(dir.root + "/other.msk"), "");
}

TEST(OutputGuard, ReplacesOnlyARegularFileAndOnlyWhenForced) {
  ScratchDir dir;
  dir.write("old.msk", "old");
  fs::create_directory(dir.root + "/folder");
  fs::create_symlink("old.msk", dir.root + "/link.msk");
  fs::create_symlink("nowhere", dir.root + "/dangling.msk");
  const std::tuple<const char*, bool, std::string> cases[] = {
      {"old.msk", false, "file exists; add --force to replace it"},
      {"old.msk", true, ""},
      {"new.msk", false, ""},
      {"folder", true, "exists and is not a regular file"},
      {"link.msk", true, "exists and is not a regular file"},
      {"dangling.msk", true, "exists and is not a regular file"},
      {"missing/new.msk", false, "folder " + dir.root + "/missing does not exist"},
      {"old.msk/new.msk", false, dir.root + "/old.msk is not a folder"},
  };
  for (const auto& [name, force, refusal] : cases) {
    EXPECT_EQ(OutputGuard({}, force).refusal(dir.root + "/" + name), refusal) << name;
  }
}

TEST(OutputGuard, RefusesAFolderItCannotWriteIn) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes in any folder";
  ScratchDir dir;
  fs::create_directory(dir.root + "/locked");
  fs::permissions(dir.root + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(OutputGuard({}, false).refusal(dir.root + "/locked/out.msk"),
            "folder " + dir.root + "/locked is not writable");
  fs::permissions(dir.root + "/locked", fs::perms::owner_all);
}
