// Scenarios of the Windows build alone, run under Wine.
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "editor_fixture.h"
#include "editor_texts.h"

using namespace texts;

namespace {

#define SKIP_UNLESS_WINE() \
  if (!underWine()) GTEST_SKIP() << "only for the Windows build under Wine"

// What the editor tells the user to do when another program holds handling.cfg.
std::string heldOpenAdvice(const std::string& kept) {
  return "vehicle-editor: another program has handling.cfg open.\n"
         "vehicle-editor: close it, then put " +
         kept + " in its place.\n";
}

// The step at the final menu that starts hold-file.exe with `arguments` in the game folder under
// `root` and waits until it holds; `holder` keeps it for the test to finish.
Step holdAtFinalMenu(const fs::path& root, std::vector<std::string> arguments,
                     std::unique_ptr<ChildProcess>* holder) {
  return {kFinalMenu + kChoice,
          [=] {
            std::vector<std::string> command = windowsCommand("hold-file.exe");
            command.insert(command.end(), arguments.begin(), arguments.end());
            const std::string holdErr = (root / "hold.err").string();
            *holder = std::make_unique<ChildProcess>(command, (root / "game").string(),
                                                     (root / "hold.out").string(), holdErr);
            ASSERT_TRUE((*holder)->waitForOutput("holding\n")) << readFile(holdErr);
          },
          "0\n"};
}

}  // namespace

TEST_F(EditorTest, ReadOnlyAttributeIsCleared) {
  SKIP_UNLESS_WINE();
  // Wine keeps a file's read-only attribute as the absence of write permission.
  chmod(path("handling.cfg").c_str(), 0444);
  const RunResult result = run("0\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(mode("handling.cfg") & S_IWUSR, 0u);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
}

// Another program holds handling.cfg open without delete sharing while the editor waits at the
// final menu: the file cannot be replaced, so it keeps its bytes and the edit is kept beside it,
// under a name that an earlier kept edit does not have.
TEST_F(EditorTest, HandlingFileHeldOpenByAnotherProgram) {
  SKIP_UNLESS_WINE();
  writeFile(path("handling.cfg.new"), "an earlier kept edit\r\n");
  std::unique_ptr<ChildProcess> holder;
  const RunResult result = run(RunOptions{
      {{"", nullptr, "1 INFERNUS R 2.5 0\n"}, holdAtFinalMenu(root_, {"handling.cfg"}, &holder)}});
  RunResult held;
  holder->finish(&held);
  EXPECT_EQ(held.exitStatus, 0);
  const std::string advice = heldOpenAdvice("handling.cfg.new.2");
  ASSERT_GE(result.err.size(), advice.size()) << result.err;
  EXPECT_EQ(result.err.substr(result.err.size() - advice.size()), advice);
  RunResult withoutAdvice = result;
  withoutAdvice.err.resize(result.err.size() - advice.size());
  // The earlier kept edit is named first.
  const std::string waiting = reported(waitingEdits("handling.cfg.new", true));
  EXPECT_EQ(withoutAdvice.err.substr(0, waiting.size()), waiting);
  withoutAdvice.err.erase(0, waiting.size());
  expectEditKept(withoutAdvice, "Permission denied", "handling.cfg.new.2");
  EXPECT_EQ(readFile(path("handling.cfg.new")), "an earlier kept edit\r\n");
}

// A virus scanner or an indexer holds handling.cfg for a moment just as the editor puts its file
// in place: the editor waits until the hold ends, and the edit lands.
TEST_F(EditorTest, BriefHoldOfTheHandlingFileIsWaitedOut) {
  SKIP_UNLESS_WINE();
  std::unique_ptr<ChildProcess> holder;
  const RunResult result = run(RunOptions{
      {{"", nullptr, "1 INFERNUS R 2.5 0\n"},
       holdAtFinalMenu(root_, {"handling.cfg", "--until-written", "temp.cfg"}, &holder)}});
  RunResult held;
  holder->finish(&held);
  EXPECT_EQ(held.exitStatus, 0);
  EXPECT_EQ(foldCrLf(held.out), "holding\nreleased\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  EXPECT_FALSE(exists("handling.cfg.new"));
  EXPECT_FALSE(exists("temp.cfg"));
}

// While the editor runs, another program may delete handling.cfg, as it could without the editor;
// the editor then puts its file in place all the same.
TEST_F(EditorTest, AnotherProgramMayDeleteTheHandlingFile) {
  SKIP_UNLESS_WINE();
  RunResult deleted;
  const RunResult result =
      run(RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0\n"},
                      {kFinalMenu + kChoice,
                       [&] {
                         std::vector<std::string> command = windowsCommand("hold-file.exe");
                         command.insert(command.end(), {"--delete", "handling.cfg"});
                         ChildProcess deleter(command, (root_ / "game").string(),
                                              (root_ / "del.out").string(),
                                              (root_ / "del.err").string());
                         deleter.finish(&deleted);
                       },
                       "0\n"}}});
  EXPECT_EQ(deleted.exitStatus, 0) << deleted.err;
  EXPECT_EQ(result.err, "\nError deleting config.cfg: No such file or directory\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
}

// A temp.cfg left read-only (by a copy from a CD, an archive, a sync client) is made anew all the
// same, and the edit lands.
TEST_F(EditorTest, ReadOnlyTempFileLeftBehind) {
  SKIP_UNLESS_WINE();
  writeFile(path("temp.cfg"), "left behind\r\n");
  chmod(path("temp.cfg").c_str(), 0444);
  const RunResult result = run("1 INFERNUS R 2.5 0 0\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  EXPECT_FALSE(exists("temp.cfg"));
}

// A temp.cfg that some other program has open is not taken for another editor's.
TEST_F(EditorTest, TempFileOpenInAnotherProgram) {
  SKIP_UNLESS_WINE();
  writeFile(path("temp.cfg"), "another program's\r\n");
  std::vector<std::string> command = windowsCommand("hold-file.exe");
  command.push_back("temp.cfg");
  ChildProcess holder(command, (root_ / "game").string(), (root_ / "hold.out").string(),
                      (root_ / "hold.err").string());
  ASSERT_TRUE(holder.waitForOutput("holding\n"));
  const RunResult result = run("1 INFERNUS R 2.5 0 0\n");
  RunResult held;
  holder.finish(&held);
  EXPECT_EQ(result.err,
            reported("vehicle-editor: temp.cfg is open in another program, so the editor cannot "
                     "make it anew; close that program or move temp.cfg away; handling.cfg was "
                     "not changed.\n"));
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
  EXPECT_EQ(readFile(path("temp.cfg")), "another program's\r\n");
}

// Run in a console window of its own (under Wine: started on a terminal), a run stopped by
// Ctrl-C still asks for Enter, so that its message can be read, and then ends with Ctrl-C's
// status. The terminal is driven here: the other scenarios' input is a pipe, which never waits.
TEST_F(EditorTest, CtrlCInAWindowOfItsOwnWaitsForEnter) {
  SKIP_UNLESS_WINE();
  std::vector<std::string> command = windowsCommand("vehicle-editor.exe");
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(path("").c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    for (std::string& word : command)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::string screen;
  // Reads what the editor shows, without the console's escape sequences, until `text` has
  // appeared; false when the editor ended first, or showed nothing for a minute.
  const auto waitFor = [&](const std::string& text) {
    char buffer[4096];
    bool inEscape = false;
    while (screen.find(text) == std::string::npos) {
      pollfd ready{terminal, POLLIN, 0};
      if (poll(&ready, 1, 60000) <= 0) return false;
      const ssize_t got = read(terminal, buffer, sizeof buffer);
      if (got <= 0) return false;
      for (ssize_t i = 0; i < got; ++i) {
        const char c = buffer[i];
        if (c == '\x1b') {
          inEscape = true;
        } else if (inEscape) {
          inEscape = (c < 'A' || c > 'Z') && (c < 'a' || c > 'z');
        } else {
          screen += c;
        }
      }
    }
    return true;
  };
  ASSERT_TRUE(waitFor("Choice:")) << screen;
  ASSERT_EQ(write(terminal, "\x03", 1), 1);
  ASSERT_TRUE(waitFor("Press Enter to close this window.")) << screen;
  EXPECT_NE(screen.find("Ctrl-C"), std::string::npos) << screen;
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the window closed before Enter";
  ASSERT_EQ(write(terminal, "\r", 1), 1);
  // Bounded, so that an editor that never ends fails the test instead of hanging it.
  int status = 0;
  pid_t ended = 0;
  for (int tries = 0; tries < 600 && ended == 0; ++tries) {
    ended = waitpid(pid, &status, WNOHANG);
    if (ended == 0) usleep(100000);
  }
  if (ended == 0) kill(pid, SIGKILL);
  ASSERT_EQ(ended, pid) << "the editor did not end after Enter";
  close(terminal);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
  EXPECT_FALSE(exists("temp.cfg"));
}
