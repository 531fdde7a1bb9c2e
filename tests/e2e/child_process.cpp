#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPromptTimeout = std::chrono::seconds(30);
constexpr auto kExitTimeout = std::chrono::seconds(60);

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void setLimit(int resource, long bytes) {
  if (bytes <= 0) return;
  const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  setrlimit(resource, &limit);
}

[[noreturn]] void execChild(const std::vector<std::string>& command, const std::string& workDir,
                            int input, int out, int err, const Limits& limits) {
  if (out < 0 || err < 0 || chdir(workDir.c_str()) != 0) _exit(126);
  dup2(input, 0);
  dup2(out, 1);
  dup2(err, 2);
  for (const int fd : limits.closed)
    close(fd);
  if (limits.nonBlockingInput) fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
  setLimit(RLIMIT_FSIZE, limits.fileSizeLimit);
  setLimit(RLIMIT_AS, limits.memoryLimit);
  if (limits.cpuSeconds > 0) {
    const rlimit cpu{static_cast<rlim_t>(limits.cpuSeconds),
                     static_cast<rlim_t>(limits.cpuSeconds + 10)};
    setrlimit(RLIMIT_CPU, &cpu);
  }
  // The test process ignores SIGPIPE; an ignored signal would stay ignored across exec.
  for (int number = 1; number < NSIG; ++number)
    signal(number, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  std::vector<char*> argv;
  for (const std::string& word : command)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command, const std::string& workDir,
                           const std::string& outPath, const std::string& errPath,
                           const Limits& limits)
    : outPath_(outPath), errPath_(errPath) {
  signal(SIGPIPE, SIG_IGN);
  int ends[2];
  // Close-on-exec: no other child, helper or server inherits this pipe and keeps it open.
  if (pipe2(ends, O_CLOEXEC) != 0) return;
  // Emptied before the child starts, so that nothing left from an earlier run is read as its.
  int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int gone[2];
  if (limits.outputReaderGone && pipe2(gone, O_CLOEXEC) == 0) {
    close(gone[0]);
    close(out);
    out = gone[1];
  } else if (!limits.appendOutputTo.empty()) {
    const int file = open(limits.appendOutputTo.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    for (int* stream : {&out, &err}) {
      if ((limits.appended & (stream == &out ? 1 : 2)) == 0) continue;
      close(*stream);
      *stream = fcntl(file, F_DUPFD_CLOEXEC, 0);
    }
    close(file);
  }
  pid_ = fork();
  if (pid_ == 0) execChild(command, workDir, ends[0], out, err, limits);
  close(ends[0]);
  if (out >= 0) close(out);
  if (err >= 0) close(err);
  input_ = ends[1];
}

// The high-water mark of the program's own memory: unlike the rusage of wait4, it does not
// count the pages of the test process that the child had before it started the program.
long ChildProcess::peakMemoryKib() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

void ChildProcess::kill(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    RunResult ignored;
    finish(&ignored);
  }
}

void ChildProcess::type(const std::string& input) {
  std::size_t done = 0;
  while (input_ >= 0 && done < input.size()) {
    const ssize_t n = write(input_, input.data() + done, input.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the child stopped reading
    done += static_cast<std::size_t>(n);
  }
}

void ChildProcess::closeInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

bool ChildProcess::ended() const {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
         info.si_pid != 0;
}

bool ChildProcess::waitForOutput(const std::string& tail) {
  const auto deadline = Clock::now() + kPromptTimeout;
  while (Clock::now() < deadline) {
    if (endsWith(foldCrLf(readFile(outPath_)), tail)) return true;
    if (ended()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

void ChildProcess::waitForEnd() {
  const auto deadline = Clock::now() + kPromptTimeout;
  while (Clock::now() < deadline && !ended())
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void ChildProcess::finish(RunResult* result) {
  closeInput();
  if (pid_ <= 0) return;
  int status = 0;
  const auto deadline = Clock::now() + kExitTimeout;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      result->timedOut = true;
      ::kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  pid_ = -1;
  if (WIFEXITED(status)) result->exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result->signal = WTERMSIG(status);
  result->out = readFile(outPath_);
  result->err = readFile(errPath_);
}

RunResult runProgram(const std::vector<std::string>& command, const std::string& workDir,
                     const std::string& ioDir, const RunOptions& options) {
  ChildProcess child(command, workDir, ioDir + "/stdout", ioDir + "/stderr", options.limits);
  RunResult result;
  for (const Step& step : options.steps) {
    if (!step.waitFor.empty() && !child.waitForOutput(step.waitFor)) {
      result.timedOut = true;
      break;
    }
    if (step.action) step.action();
    child.type(step.input);
    if (step.signal != 0) {
      child.kill(step.signal);
      child.waitForEnd();
    }
  }
  child.finish(&result);
  return result;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return "";
  std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string foldCrLf(const std::string& text) {
  std::string folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    folded += text[i];
  }
  return folded;
}
