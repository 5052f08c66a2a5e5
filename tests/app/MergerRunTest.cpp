#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/MergerRun.h"
#include "framework/FileStore.h"
#include "framework/TestSupport.h"
#include "rules/MergerRule.h"

namespace {

// Runs the tool in this process on files held in memory.
struct InProcess {
  MemoryFileStore files;
  FileStore* disk = FileStore::install(&files);
  ~InProcess() { FileStore::install(disk); }

  std::string run(std::vector<const char*> args, int& status) {
    args.insert(args.begin(), "QELPeopleMaskMerger");
    StdoutCapture out;
    status = runMerger(static_cast<int>(args.size()), const_cast<char**>(args.data()));
    return out.text();
  }
};

}  // namespace

// Runs in one process follow one another as separate runs would: each takes
// the trace settings of its own start, and none leaves rules behind.
TEST(MergerRun, RunsInOneProcessEachTakeTheirOwnSettingsAndLeaveNoRules) {
  InProcess tool;
  tool.files.files["ref.msk"] = "*MASK DEFAULT\n*ENTITY PART,DEFAULT\n*ATTR V_id,PART.DEFAULT,N\n";
  tool.files.files["new.msk"] = "*MASK DEFAULT\n*ENTITY PART,DEFAULT\n*ATTR V_id,PART.DEFAULT,Y\n";
  tool.files.files["custo.msk"] =
      "*MASK DEFAULT\n*ENTITY PART,DEFAULT\n*ATTR V_id,PART.DEFAULT,N\n";
  tool.files.files["rules.txt"] = "KEEP CUSTO E::PART/A::V_id/_::required\n";
  const std::vector<const char*> args = {"ref.msk", "new.msk", "custo.msk",
                                         "out.msk", "-rule",   "rules.txt"};
  std::string merged[3], console[3];
  for (int run = 0; run < 3; ++run) {
    if (run == 1) setenv("VEX_TRACE", "Main,MergerRule", 1);
    int status = -1;
    console[run] = tool.run(args, status);
    unsetenv("VEX_TRACE");
    EXPECT_EQ(status, 0) << run;
    EXPECT_EQ(MergerRule::_lRules.Size(), 0) << run;
    merged[run] = tool.files.files["out.msk"];
  }
  EXPECT_EQ(console[0], console[2]);
  EXPECT_NE(console[1].find("Rule #1 [line #1]:"), std::string::npos);
  EXPECT_EQ(console[0].find("Rule #1"), std::string::npos);
  // With "Main" on, the written file names every node; off, it does not.
  EXPECT_EQ(merged[0], merged[2]);
  EXPECT_NE(merged[1].find("// ### NODE ID: E::PART/A::V_id/_::required[N]"), std::string::npos);
  EXPECT_NE(merged[0].find("// ==> FINALLY: ALTERNATIVE [rule #1]"), std::string::npos);
}

TEST(MergerRun, MissingFilesAreReportedAsOnDisk) {
  InProcess tool;
  tool.files.files["ref.msk"] = "*MASK DEFAULT\n";
  int status = -1;
  std::string console = tool.run({"ref.msk", "new.msk", "custo.msk", "out.msk"}, status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(console.find("Reading: ref.msk\n> INFO: Read 1 lines\nERROR: File does not exist\n"),
            std::string::npos);
  EXPECT_EQ(tool.files.files.count("out.msk"), 0u);
}
