// Runs the tool on each case folder under tests/cases and compares what a
// user sees: standard output, exit status and every written file.
//
// A case folder holds:
//   args             the arguments, one per line (an empty line is an empty
//                    argument); no file means no arguments
//   env              optional: NAME=VALUE lines added to the environment
//                    (VEX_TRACE is always cleared first)
//   expected.stdout  the whole standard output; "ADDR" stands for a pointer
//   expected.stderr  optional: the whole standard error (else it must be empty)
//   expected.status  the exit status
//   expected.<name>  the file <name> the run must leave, byte for byte
//   absent           optional: names of files the run must not create
//   about            one line saying what the case shows
// Every other file or folder is an input, copied into a fresh working
// folder in which the tool runs (symbolic links stay links). In `args`,
// "@EXAMPLES@" stands for the project's examples folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::vector<std::string> readLines(const fs::path& path) {
  std::vector<std::string> lines;
  if (!fs::exists(path)) return lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> readArgs(const fs::path& path) {
  std::vector<std::string> args = readLines(path);
#ifdef MERGER_EXAMPLES_DIR
  const std::string placeholder = "@EXAMPLES@";
  for (std::string& arg : args) {
    if (size_t at = arg.find(placeholder); at != std::string::npos)
      arg.replace(at, placeholder.size(), MERGER_EXAMPLES_DIR);
  }
#endif
  return args;
}

bool isCaseMetadata(const std::string& name) {
  return name == "args" || name == "env" || name == "absent" || name == "about" ||
         name.rfind("expected.", 0) == 0;
}

std::vector<std::string> findCases() {
  std::vector<std::string> cases;
  fs::path root(MERGER_CASES_DIR);
  if (!fs::exists(root)) return cases;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && entry.path().filename() == "expected.status") {
      cases.push_back(fs::relative(entry.path().parent_path(), root).string());
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

struct RunResult {
  int status = -1;
  std::string stdoutText;
  std::string stderrText;
};

// Runs the tool in `workDir`, with a time limit so that a hang fails the case.
RunResult runTool(const fs::path& workDir, const std::vector<std::string>& args,
                  const std::vector<std::string>& env) {
  fs::path outPath = workDir / ".stdout";
  fs::path errPath = workDir / ".stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(workDir.c_str()) != 0) _exit(127);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    unsetenv("VEX_TRACE");
    for (const std::string& setting : env) {
      size_t eq = setting.find('=');
      if (eq != std::string::npos) {
        setenv(setting.substr(0, eq).c_str(), setting.substr(eq + 1).c_str(), 1);
      }
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(MERGER_BINARY));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    alarm(120);
    execv(MERGER_BINARY, argv.data());
    _exit(127);
  }
  RunResult result;
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  result.stdoutText = readFile(outPath);
  result.stderrText = readFile(errPath);
  fs::remove(outPath);
  fs::remove(errPath);
  return result;
}

std::string maskAddresses(const std::string& text) {
  static const std::regex address("0x[0-9a-f]+");
  return std::regex_replace(text, address, "ADDR");
}

// Output that names the examples folder names it as the arguments do.
std::string maskExamples(std::string text) {
#ifdef MERGER_EXAMPLES_DIR
  const std::string folder = MERGER_EXAMPLES_DIR;
  for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
    text.replace(at, folder.size(), "@EXAMPLES@");
#endif
  return text;
}

class CaseTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CaseTest, MatchesExpectedOutput) {
  fs::path caseDir = fs::path(MERGER_CASES_DIR) / GetParam();
  std::string pattern = (fs::temp_directory_path() / "merger-case-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  fs::path workDir(pattern);
  for (const auto& entry : fs::directory_iterator(caseDir)) {
    std::string name = entry.path().filename().string();
    if (!isCaseMetadata(name)) {
      fs::copy(entry.path(), workDir / name,
               fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
  }

  RunResult run = runTool(workDir, readArgs(caseDir / "args"), readLines(caseDir / "env"));

  EXPECT_EQ(maskExamples(maskAddresses(run.stdoutText)), readFile(caseDir / "expected.stdout"));
  EXPECT_EQ(std::to_string(run.status) + "\n", readFile(caseDir / "expected.status"));
  EXPECT_EQ(maskExamples(run.stderrText), readFile(caseDir / "expected.stderr"));
  for (const auto& entry : fs::directory_iterator(caseDir)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("expected.", 0) != 0 || name == "expected.stdout" || name == "expected.stderr" ||
        name == "expected.status") {
      continue;
    }
    fs::path written = workDir / name.substr(std::string("expected.").size());
    ASSERT_TRUE(fs::exists(written)) << written.filename() << " was not written";
    EXPECT_EQ(readFile(written), readFile(entry.path())) << "in " << written.filename();
  }
  for (const std::string& name : readLines(caseDir / "absent")) {
    EXPECT_FALSE(fs::exists(workDir / name)) << name << " should not exist";
  }
  fs::remove_all(workDir);
}

std::string caseName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseTest, ::testing::ValuesIn(findCases()), caseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CaseTest);

}  // namespace
