// qelmask end to end where the cases of tests/qelmask/cases cannot reach:
// an output that cannot be written in full, and a folder that refuses new
// files. Both must leave the old output as it was and no file behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "framework/TestSupport.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;
  std::string err;
};

// Runs qelmask in `dir` with `args`; `fileLimit` > 0 caps the size of any
// file it writes (a device that fills up, for everybody, root included).
Outcome qelmask(const std::string& dir, std::vector<std::string> args, rlim_t fileLimit = 0) {
  std::string errPath = dir + "/../qelmask.err";
  pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    FILE* err = freopen(errPath.c_str(), "w", stderr);
    FILE* out = freopen("/dev/null", "w", stdout);
    if (!err || !out) _exit(127);
    if (fileLimit > 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{fileLimit, fileLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(QELMASK_BINARY)};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(QELMASK_BINARY, argv.data());
    _exit(127);
  }
  Outcome run;
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream in(errPath);
  std::ostringstream text;
  text << in.rdbuf();
  run.err = text.str();
  fs::remove(errPath);
  return run;
}

std::vector<std::string> mergeArgs(const std::string& output) {
  const std::string examples = MERGER_EXAMPLES_DIR;
  return {"merge",
          "--ref",
          examples + "/ref.msk",
          "--new",
          examples + "/new.msk",
          "--custo",
          examples + "/custo.msk",
          "--rules",
          examples + "/rules.txt",
          "--output",
          output,
          "--force"};
}

std::vector<std::string> names(const std::string& folder) {
  std::vector<std::string> result;
  for (const auto& entry : fs::directory_iterator(folder))
    result.push_back(entry.path().filename().string());
  std::sort(result.begin(), result.end());
  return result;
}

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

TEST(QelmaskWrite, AnOutputThatCannotBeWrittenInFullLeavesTheOldOne) {
  ScratchDir scratch;
  fs::create_directory(scratch.root + "/work");
  std::string dir = scratch.root + "/work";
  std::ofstream(dir + "/merged.msk") << "the reviewed merge of last year\n";

  Outcome run = qelmask(dir, mergeArgs("merged.msk"), 1024);

  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "qelmask: error: merged.msk: cannot write: File too large; nothing written\n");
  EXPECT_EQ(read(dir + "/merged.msk"), "the reviewed merge of last year\n");
  EXPECT_EQ(names(dir), std::vector<std::string>{"merged.msk"});
}

TEST(QelmaskWrite, TheSameRunWithoutTheLimitWrites) {
  ScratchDir scratch;
  fs::create_directory(scratch.root + "/work");
  std::string dir = scratch.root + "/work";
  std::ofstream(dir + "/merged.msk") << "the reviewed merge of last year\n";

  Outcome run = qelmask(dir, mergeArgs("merged.msk"));

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read(dir + "/merged.msk").rfind("//===", 0), 0u);
  EXPECT_EQ(names(dir), std::vector<std::string>{"merged.msk"});
}

TEST(QelmaskWrite, AFolderThatRefusesNewFilesIsRefusedBeforeReading) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes in any folder";
  ScratchDir scratch;
  fs::create_directory(scratch.root + "/work");
  std::string dir = scratch.root + "/work";
  std::ofstream(dir + "/merged.msk") << "old\n";
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);

  Outcome run = qelmask(dir, mergeArgs("merged.msk"));

  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "qelmask: error: merged.msk: folder . is not writable; nothing written\n");
  EXPECT_EQ(read(dir + "/merged.msk"), "old\n");
}

TEST(QelmaskWrite, AReportThatCannotBeWrittenInFullLeavesTheOldPageAndNoData) {
  ScratchDir scratch;
  fs::create_directory(scratch.root + "/work");
  std::string dir = scratch.root + "/work";
  std::ofstream(dir + "/page.html") << "the page of last week\n";
  std::vector<std::string> args = mergeArgs("unused");
  args[0] = "report";
  args.resize(args.size() - 3);  // no --output, no --force yet
  for (const char* arg : {"--html", "page.html", "--json", "report.json", "--force"})
    args.emplace_back(arg);

  Outcome run = qelmask(dir, args, 1024);

  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "qelmask: error: page.html: cannot write: File too large; nothing written\n");
  EXPECT_EQ(read(dir + "/page.html"), "the page of last week\n");
  EXPECT_EQ(names(dir), std::vector<std::string>{"page.html"});
}
