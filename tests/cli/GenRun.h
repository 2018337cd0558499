#pragma once

// kalmoro-gen run as a user runs it, for the tests in tests/cli: its standard output bytes, standard
// error, exit status and files.
#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kalmoro::clitest {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path);

struct RunResult {
  int status = -1;  // exit status, or -1 when ended by a signal
  int signal = 0;   // the signal that ended it
  std::string out;
  std::string err;
};

// This test process's scratch folder, removed when the run ends.
fs::path ScratchDir();

// A user that owns nothing here: the tests run as root in CI, and root may write into any folder.
constexpr uid_t kNobody = 65534;

struct Launch {
  std::vector<std::string> args;
  fs::path cwd = ScratchDir();
  std::vector<std::string> env;  // "NAME=value" added for the run
  rlim_t fileSizeLimit = 0;      // none when 0
  int signalAtStop = 0;          // sent when the tool stops itself (KALMORO_STOP_AT), after atStop ran
  std::function<void()> atStop;
  std::string program = KALMORO_GEN_PATH;
  bool asNobody = false;  // run as the user nobody when the test runs as root
  // Run as this user, its own group and these supplementary groups (the test runs as root).
  std::optional<uid_t> user;
  std::vector<gid_t> groups;
  std::vector<std::string> wrapper;  // a command the tool runs under, as strace with its options
  mode_t umask = 022;
  int gate = -1;   // a pipe (O_CLOEXEC) the child reads one byte from before it starts
  fs::path input;  // standard input read from this file when set; else the test's own
};

// A started tool.
class GenProcess {
 public:
  explicit GenProcess(const Launch& launch);
  GenProcess(const GenProcess&) = delete;
  GenProcess& operator=(const GenProcess&) = delete;
  ~GenProcess();
  pid_t Pid() const { return m_pid; }
  // Waits until the tool stops itself; false when it ended instead.
  bool WaitForStop();
  // Reads its output to the end and waits for it.
  RunResult Wait();

 private:
  pid_t m_pid = -1;
  int m_out = -1;
  int m_err = -1;
  bool m_waited = false;
};

// Runs the tool to its end (with the stop and signal of the launch).
RunResult Start(const Launch& launch);

RunResult RunGen(const std::vector<std::string>& args, const fs::path& cwd = ScratchDir());

// A copy of program (kalmoro-gen or kalmoro-gen-hooked) that any user may run: the build folder may lie
// in a home only root enters.
std::string ForAnyUser(const std::string& program);

}  // namespace kalmoro::clitest
