#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPromptTimeout = std::chrono::seconds(20);
constexpr auto kExitTimeout = std::chrono::seconds(60);

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// True once the child has ended; it is left for waitpid to collect.
bool childEnded(pid_t child) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
         info.si_pid != 0;
}

bool waitForOutput(const std::string& path, const std::string& tail, pid_t child) {
  const auto deadline = Clock::now() + kPromptTimeout;
  while (Clock::now() < deadline) {
    if (endsWith(readFile(path), tail)) return true;
    if (childEnded(child)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

void writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the child stopped reading
    done += static_cast<std::size_t>(n);
  }
}

[[noreturn]] void startChild(const std::string& program, const std::string& workDir,
                             const std::string& outPath, const std::string& errPath, int input,
                             long fileSizeLimit) {
  const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || err < 0 || chdir(workDir.c_str()) != 0) _exit(126);
  dup2(input, 0);
  dup2(out, 1);
  dup2(err, 2);
  if (fileSizeLimit > 0) {
    const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_IGN);
  }
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

RunResult runProgram(const std::string& program, const std::string& workDir,
                     const std::string& ioDir, const RunOptions& options) {
  signal(SIGPIPE, SIG_IGN);
  const std::string outPath = ioDir + "/stdout";
  const std::string errPath = ioDir + "/stderr";
  RunResult result;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return result;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[1]);
    startChild(program, workDir, outPath, errPath, pipeEnds[0], options.fileSizeLimit);
  }
  close(pipeEnds[0]);
  for (const Step& step : options.steps) {
    if (!step.waitFor.empty() && !waitForOutput(outPath, step.waitFor, child)) {
      result.timedOut = true;
      break;
    }
    if (step.action) step.action();
    writeAll(pipeEnds[1], step.input);
  }
  close(pipeEnds[1]);

  int status = 0;
  const auto deadline = Clock::now() + kExitTimeout;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      result.timedOut = true;
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  return result;
}
