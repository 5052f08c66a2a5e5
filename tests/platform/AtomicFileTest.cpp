#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "framework/TestSupport.h"
#include "platform/AtomicFile.h"
#include "platform/FdStreamBuf.h"
#include "platform/TempFileRegistry.h"

namespace fs = std::filesystem;

namespace {

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The names in `folder`, hidden ones included.
std::vector<std::string> names(const std::string& folder) {
  std::vector<std::string> result;
  for (const auto& entry : fs::directory_iterator(folder))
    result.push_back(entry.path().filename().string());
  std::sort(result.begin(), result.end());
  return result;
}

}  // namespace

TEST(AtomicFile, ReplacesTheTargetOnCommitAndKeepsItsMode) {
  ScratchDir dir;
  std::string target = dir.write("out.msk", "old content");
  ::chmod(target.c_str(), 0640);
  AtomicFile file(target);
  std::string error;
  ASSERT_TRUE(file.open(error)) << error;
  file.stream() << "new content\n";
  // Until the commit the target is the old file.
  EXPECT_EQ(read(target), "old content");
  ASSERT_TRUE(file.commit(error)) << error;
  EXPECT_EQ(read(target), "new content\n");
  struct stat info {};
  ::stat(target.c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(names(dir.root), std::vector<std::string>{"out.msk"});
}

TEST(AtomicFile, AFailedRenameLeavesTheTargetAndNoTemporary) {
  ScratchDir dir;
  // A folder that is not empty cannot be renamed over, even by root.
  fs::create_directory(dir.root + "/out.msk");
  dir.write("out.msk/keep", "kept");
  AtomicFile file(dir.root + "/out.msk");
  std::string error;
  ASSERT_TRUE(file.open(error)) << error;
  file.stream() << "content\n";
  EXPECT_FALSE(file.commit(error));
  EXPECT_EQ(error.rfind("cannot replace: ", 0), 0u) << error;
  EXPECT_EQ(read(dir.root + "/out.msk/keep"), "kept");
  EXPECT_EQ(names(dir.root), std::vector<std::string>{"out.msk"});
}

TEST(FdStreamBuf, AFailedWriteMakesTheStreamFailAndKeepsTheReason) {
  int full = ::open("/dev/full", O_WRONLY);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  FdStreamBuf buffer(full);
  std::ostream out(&buffer);
  out << std::string(100, 'x');
  EXPECT_TRUE(out.good());  // still in the buffer
  out << std::string(1 << 17, 'y');
  out.flush();
  EXPECT_FALSE(out.good());
  EXPECT_EQ(buffer.failure(), ENOSPC);
  ::close(full);
}

TEST(AtomicFile, AFileNeverCommittedLeavesNothing) {
  ScratchDir dir;
  {
    AtomicFile file(dir.root + "/out.msk");
    std::string error;
    ASSERT_TRUE(file.open(error)) << error;
    file.stream() << "half of it";
  }
  EXPECT_TRUE(names(dir.root).empty());
}

TEST(AtomicFile, AFolderThatRefusesNewFilesIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "root creates files in any folder";
  ScratchDir dir;
  fs::create_directory(dir.root + "/locked");
  fs::permissions(dir.root + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
  AtomicFile file(dir.root + "/locked/out.msk");
  std::string error;
  EXPECT_FALSE(file.open(error));
  EXPECT_EQ(error, "cannot create a file in its folder: Permission denied");
  fs::permissions(dir.root + "/locked", fs::perms::owner_all);
}

TEST(TempFileRegistry, ASignalRemovesTheRegisteredFilesBeforeTheProcessDies) {
  ScratchDir dir;
  std::string path = dir.write(".out.msk.partial", "half");
  pid_t child = fork();
  if (child == 0) {
    TempFileRegistry::installHandlers();
    TempFileRegistry::add(path.c_str());
    std::raise(SIGTERM);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_FALSE(fs::exists(path));
}

TEST(TempFileRegistry, ThreadsRegisterAndForgetPathsAtTheSameTime) {
  // Each thread marks the slots it holds: a slot given to two threads at
  // once would find the other's mark.
  std::array<std::atomic<int>, 128> holder;
  for (std::atomic<int>& slot : holder) slot = -1;
  std::atomic<int> wrong{0};
  auto claim = [&](int slot, int thread) {
    if (slot < 0 || slot >= 128 || holder[slot].exchange(thread) != -1) ++wrong;
  };
  auto release = [&](int slot) {
    if (slot >= 0 && slot < 128) holder[slot] = -1;
    TempFileRegistry::remove(slot);
  };
  std::vector<std::thread> threads;
  threads.reserve(4);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 2000; ++round) {
        std::string path = "/nonexistent/" + std::to_string(t) + "-" + std::to_string(round);
        int first = TempFileRegistry::add(path.c_str());
        claim(first, t);
        int second = TempFileRegistry::add((path + "b").c_str());
        claim(second, t);
        release(second);
        release(first);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}
