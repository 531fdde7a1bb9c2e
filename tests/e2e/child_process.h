// Runs the editor as a child process in a given folder, with scripted standard input, and
// collects what it wrote and how it ended.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One piece of the conversation: wait until standard output ends with `waitFor` (the program is
// then blocked at that prompt), run `action`, then type `input`.
struct Step {
  std::string waitFor;
  std::function<void()> action;
  std::string input;
};

struct RunOptions {
  std::vector<Step> steps;
  // When positive, the child's RLIMIT_FSIZE in bytes, with SIGXFSZ ignored so that a write
  // past it fails instead of killing the child.
  long fileSizeLimit = 0;
};

struct RunResult {
  int exitStatus = -1;  // -1 when the child did not exit normally
  int signal = 0;       // the signal that ended it, if one did
  bool timedOut = false;
  std::string out;
  std::string err;
};

// Runs `program` with `workDir` as its current folder; its standard output and error go to
// files in `ioDir`. Standard input is closed after the last step.
RunResult runProgram(const std::string& program, const std::string& workDir,
                     const std::string& ioDir, const RunOptions& options);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
