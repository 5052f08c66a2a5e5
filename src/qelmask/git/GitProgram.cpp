#include "qelmask/git/GitProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

// A pipe whose ends close themselves.
struct Pipe {
  int read = -1, write = -1;
  bool open() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return false;
    read = ends[0];
    write = ends[1];
    return true;
  }
  static void close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  ~Pipe() {
    close(read);
    close(write);
  }
};

// Reads both pipes to their end: reading one only could leave git blocked
// on a full other.
void drain(Pipe& out, Pipe& err, std::string& outText, std::string& errText) {
  std::array<pollfd, 2> fds{{{out.read, POLLIN, 0}, {err.read, POLLIN, 0}}};
  std::array<std::string*, 2> texts{&outText, &errText};
  int open = 2;
  char buffer[4096];
  while (open > 0) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) {
        fds[i].fd = -1;
        --open;
      } else {
        texts[i]->append(buffer, static_cast<size_t>(count));
      }
    }
  }
}

}  // namespace

std::string GitProgram::Result::problem() const {
  if (!started) return failure;
  for (size_t at = 0; at < err.size();) {
    size_t end = err.find('\n', at);
    std::string line = err.substr(at, end == std::string::npos ? std::string::npos : end - at);
    // "hint:" lines advise; the error is elsewhere.
    if (!line.empty() && line.rfind("hint:", 0) != 0) return "git: " + line;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return "git failed with status " + std::to_string(status);
}

GitProgram::Result GitProgram::run(const std::vector<std::string>& args) {
  Result result;
  Pipe out, err;
  if (!out.open() || !err.open()) {
    result.failure = std::string("cannot run git: ") + std::strerror(errno);
    return result;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("git"));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.write, 1);
  posix_spawn_file_actions_adddup2(&actions, err.write, 2);
  pid_t pid = -1;
  int code = ::posix_spawnp(&pid, "git", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  Pipe::close(out.write);
  Pipe::close(err.write);
  if (code != 0) {
    result.failure = code == ENOENT ? std::string("git is not installed (or not on PATH)")
                                    : std::string("cannot run git: ") + std::strerror(code);
    return result;
  }
  drain(out, err, result.out, result.err);
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  result.started = true;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return result;
}
