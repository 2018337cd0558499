#include "GenRun.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>

namespace kalmoro::clitest {

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path ScratchDir() {
  fs::path dir = fs::temp_directory_path() / ("kalmoro-cli-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

namespace {

std::string ReadAll(int fd) {
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
  ::close(fd);
  return text;
}

// Removes the scratch folder when the run ends.
class ScratchCleanup : public testing::Environment {
 public:
  void TearDown() override { fs::remove_all(ScratchDir()); }
};
const testing::Environment* const kCleanup = testing::AddGlobalTestEnvironment(new ScratchCleanup);

}  // namespace

GenProcess::GenProcess(const Launch& launch) {
  int out[2];
  int err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return;
  m_pid = ::fork();
  if (m_pid == 0) {
    // As from a terminal: the signals at their default action, unblocked.
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) std::signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::umask(launch.umask);
    const rlimit limit{launch.fileSizeLimit, launch.fileSizeLimit};
    if (!launch.input.empty()) {
      const int in = ::open(launch.input.c_str(), O_RDONLY);
      if (in < 0 || ::dup2(in, 0) < 0) ::_exit(127);
      ::close(in);
    }
    if (::dup2(out[1], 1) < 0 || ::dup2(err[1], 2) < 0 || ::chdir(launch.cwd.c_str()) != 0 ||
        (launch.fileSizeLimit != 0 && ::setrlimit(RLIMIT_FSIZE, &limit) != 0))
      ::_exit(127);
    const std::optional<uid_t> user = launch.asNobody ? std::optional<uid_t>(kNobody) : launch.user;
    if (user && ::geteuid() == 0 &&
        (::setgroups(launch.groups.size(), launch.groups.data()) != 0 || ::setgid(*user) != 0 ||
         ::setuid(*user) != 0))
      ::_exit(127);
    for (const int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
    char byte;
    if (launch.gate >= 0 && ::read(launch.gate, &byte, 1) != 1) ::_exit(127);
    std::vector<std::string> env(launch.env);
    // LeakSanitizer (the sanitizer build) cannot work under ptrace and would fail the run.
    if (!launch.wrapper.empty()) env.insert(env.begin(), "ASAN_OPTIONS=detect_leaks=0");
    for (auto& e : env) ::putenv(e.data());
    std::vector<std::string> args(launch.wrapper);
    args.push_back(launch.program);
    args.insert(args.end(), launch.args.begin(), launch.args.end());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  m_out = out[0];
  m_err = err[0];
}

GenProcess::~GenProcess() {
  if (m_pid > 0 && !m_waited) {
    ::kill(m_pid, SIGKILL);
    Wait();
  }
}

bool GenProcess::WaitForStop() {
  int status = 0;
  return ::waitpid(m_pid, &status, WUNTRACED) == m_pid && WIFSTOPPED(status);
}

RunResult GenProcess::Wait() {
  RunResult result;
  result.out = ReadAll(m_out);
  result.err = ReadAll(m_err);
  int status = 0;
  ::waitpid(m_pid, &status, 0);
  m_waited = true;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

RunResult Start(const Launch& launch) {
  GenProcess process(launch);
  if (launch.signalAtStop != 0 && process.WaitForStop()) {
    if (launch.atStop) launch.atStop();
    ::kill(process.Pid(), launch.signalAtStop);
    ::kill(process.Pid(), SIGCONT);
  }
  return process.Wait();
}

RunResult RunGen(const std::vector<std::string>& args, const fs::path& cwd) {
  Launch launch;
  launch.args = args;
  launch.cwd = cwd;
  return Start(launch);
}

std::string ForAnyUser(const std::string& program) {
  const fs::path bin = ScratchDir() / "bin";
  const fs::path copy = bin / fs::path(program).filename();
  if (!fs::exists(copy)) {
    fs::create_directories(bin);
    fs::copy_file(program, copy);
    for (const fs::path& p : {ScratchDir(), bin, copy}) fs::permissions(p, static_cast<fs::perms>(0755));
  }
  return copy.string();
}

}  // namespace kalmoro::clitest
