// git-merge where the cases of tests/qelmask/cases cannot reach: a merged
// mask that cannot be written in full. Git must find CURRENT as it was, a
// status that marks it conflicted, and no file left behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "framework/TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Runs `qelmask git-merge base.msk ours.msk theirs.msk site.msk` in `dir`,
// no file it writes larger than `fileLimit`; the status, and standard error
// in `err`.
int gitMerge(const std::string& dir, rlim_t fileLimit, std::string& err) {
  std::string errPath = dir + "/../qelmask.err";
  pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    if (!freopen(errPath.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(127);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{fileLimit, fileLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
    execl(QELMASK_BINARY, QELMASK_BINARY, "git-merge", "base.msk", "ours.msk", "theirs.msk",
          "site.msk", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  err = read(errPath);
  fs::remove(errPath);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(GitMergeWrite, AMergeThatCannotBeWrittenLeavesCurrentAsItWas) {
  ScratchDir scratch;
  std::string dir = scratch.root + "/work";
  fs::create_directory(dir);
  const std::string examples = MERGER_EXAMPLES_DIR;
  fs::copy_file(examples + "/ref.msk", dir + "/base.msk");
  fs::copy_file(examples + "/custo.msk", dir + "/ours.msk");
  fs::copy_file(examples + "/new.msk", dir + "/theirs.msk");
  std::string before = read(dir + "/ours.msk");

  std::string err;
  int status = gitMerge(dir, 1024, err);

  EXPECT_EQ(status, 1);
  const std::string tail =
      "qelmask: error: site.msk: cannot write: File too large; nothing written\n"
      "qelmask: error: site.msk: not merged: left as the current branch has it\n";
  ASSERT_GE(err.size(), tail.size()) << err;
  EXPECT_EQ(err.substr(err.size() - tail.size()), tail);
  EXPECT_EQ(read(dir + "/ours.msk"), before);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir))
    left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"base.msk", "ours.msk", "theirs.msk"}));
}
