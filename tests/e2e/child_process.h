// Runs a program as a child process in a given folder, with scripted standard input, and
// collects what it wrote and how it ended.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// One piece of the conversation: wait until standard output ends with `waitFor` (the program is
// then blocked at that prompt), run `action`, then type `input`, then send `signal` if it is not 0
// and wait for the program to end before its input is closed.
struct Step {
  std::string waitFor;
  std::function<void()> action;
  std::string input;
  int signal = 0;
};

// How the child starts, besides its command: it always starts with every signal at its default
// disposition and none blocked, as from a shell.
struct Limits {
  // When positive, the child's RLIMIT_FSIZE in bytes.
  long fileSizeLimit = 0;
  // When positive, the child's RLIMIT_AS in bytes.
  long memoryLimit = 0;
  // When positive, the child's RLIMIT_CPU in seconds: SIGXCPU then, SIGKILL ten seconds later.
  long cpuSeconds = 0;
  // Standard descriptors (0, 1, 2) the child starts without.
  std::vector<int> closed;
  // Standard input is in non-blocking mode, as some front ends leave it.
  bool nonBlockingInput = false;
  // Standard output is a pipe whose reader has gone.
  bool outputReaderGone = false;
  // When not empty, standard output and standard error are appended to this file.
  std::string appendOutputTo;
  // Which of the two are: 1 standard output alone, 2 standard error alone, 3 both.
  int appended = 3;
};

struct RunOptions {
  std::vector<Step> steps;
  Limits limits = {};
};

struct RunResult {
  int exitStatus = -1;  // -1 when the child did not exit normally
  int signal = 0;       // the signal that ended it, if one did
  bool timedOut = false;
  std::string out;
  std::string err;
};

// A started program whose standard input is a pipe and whose output goes to two files.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& command, const std::string& workDir,
               const std::string& outPath, const std::string& errPath,
               const Limits& limits = Limits());
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void type(const std::string& input);
  void kill(int signal = SIGKILL);
  // The program's peak resident memory so far, in KiB (0 when unknown).
  long peakMemoryKib() const;
  void closeInput();
  // Waits until the child's standard output, with CR LF folded to LF, ends with `tail`.
  // False when the child ended first or nothing came in time.
  bool waitForOutput(const std::string& tail);
  // Waits, for a time, for the child to end without closing its input.
  void waitForEnd();
  // Closes the input, waits for the end (killing the child after a time limit) and collects
  // output files into `result`.
  void finish(RunResult* result);

 private:
  bool ended() const;

  pid_t pid_ = -1;
  int input_ = -1;
  std::string outPath_;
  std::string errPath_;
};

// Runs `command` in `workDir`; its standard output and error go to files in `ioDir`. Standard
// input is closed after the last step.
RunResult runProgram(const std::vector<std::string>& command, const std::string& workDir,
                     const std::string& ioDir, const RunOptions& options);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// `text` with every CR LF turned into LF, as a Windows console program's text output reads on
// other systems.
std::string foldCrLf(const std::string& text);
