// Scenarios of the Windows build alone, run under Wine.
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// The Windows build run with `arguments`.
std::vector<std::string> withArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = windowsCommand("vehicle-editor.exe");
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

// `folder` as Windows names it under Wine, which shows the Linux file system as drive Z:.
std::string windowsPath(const fs::path& folder) {
  std::string name = "Z:" + folder.string();
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

}  // namespace

// A handling.cfg dropped on the program is the file edited, whatever its folder is called and
// however long its path: never a look-alike's that the system's code page would turn it into.
TEST_F(EditorTest, DroppedFromAnyFolder) {
  SKIP_UNLESS_WINE();
  const std::string longName(90, 'x');
  const struct {
    const char* name;
    std::string folder;     // under the test's folder; where the dropped file lies
    std::string lookAlike;  // the folder the code page's best fit makes of it, with a file too
  } cases[] = {
      {"a name outside the code page, beside its look-alike", "Spiel \u014Crdner", "Spiel Ordner"},
      {"Cyrillic letters", "\u0418\u0433\u0440\u0430", "????"},
      {"a path longer than 260 characters", longName + "/" + longName + "/" + longName + "/game",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path folder = root_ / fs::u8path(c.folder);
    fs::create_directories(folder);
    writeFile((folder / "handling.cfg").string(), originalFile());
    const fs::path lookAlike = root_ / fs::u8path(c.lookAlike);
    if (!c.lookAlike.empty()) {
      fs::create_directories(lookAlike);
      writeFile((lookAlike / "handling.cfg").string(), originalFile());
    }
    const RunResult result =
        runProgram(withArguments({windowsPath(folder / "handling.cfg")}), root_.string(),
                   root_.string(), RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0 0\n"}}});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFile((folder / "handling.cfg").string()), fileWithLine(3, kInfernusBrakes));
    EXPECT_FALSE(fs::exists(folder / "temp.cfg"));
    if (!c.lookAlike.empty()) {
      EXPECT_EQ(readFile((lookAlike / "handling.cfg").string()), originalFile());
      EXPECT_FALSE(fs::exists(lookAlike / "temp.cfg"));
    }
  }
}

// A message that names such a folder names it as it is: in UTF-8 where the stream is a file or a
// pipe. Both the path given and the folder the editor runs in.
TEST_F(EditorTest, MessagesNameAnyFolder) {
  SKIP_UNLESS_WINE();
  const fs::path folder = root_ / fs::u8path("\u0418\u0433\u0440\u0430 \u014C");
  fs::create_directories(folder);
  const std::string missing = windowsPath(folder / "handling.cfg");
  const RunResult given = runProgram(withArguments({missing}), root_.string(), root_.string(),
                                     RunOptions{{{"", nullptr, ""}}});
  EXPECT_EQ(foldCrLf(given.err), reported("vehicle-editor: there is no file \"" + missing +
                                          "\" (see vehicle-editor --help)\n"));
  EXPECT_EQ(given.exitStatus, 2);
  const RunResult here = runProgram(withArguments({}), folder.string(), root_.string(),
                                    RunOptions{{{"", nullptr, "0\n"}}});
  EXPECT_EQ(foldCrLf(here.err),
            reported("vehicle-editor: it looked for handling.cfg in " + windowsPath(folder) +
                     ".\nStart the editor in the folder that holds handling.cfg.\n"));
  EXPECT_EQ(here.exitStatus, 1);
}

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

// Another program saves handling.cfg while the editor waits at the final menu, as programs save
// (a new file renamed over it, as move /Y does), or deletes it first: its save is kept, and the
// edit is kept beside it.
TEST_F(EditorTest, AnotherProgramSavesWhileTheEditorWaits) {
  SKIP_UNLESS_WINE();
  for (const char* how : {"--save", "--delete-then-save"}) {
    SCOPED_TRACE(how);
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(path("handling.cfg.new"));
    RunResult saved;
    const RunResult result =
        run(RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0\n"},
                        {kFinalMenu + kChoice,
                         [&] {
                           std::vector<std::string> command = windowsCommand("hold-file.exe");
                           command.insert(command.end(), {how, "handling.cfg"});
                           ChildProcess saver(command, (root_ / "game").string(),
                                              (root_ / "save.out").string(),
                                              (root_ / "save.err").string());
                           saver.finish(&saved);
                         },
                         "0\n"}}});
    EXPECT_EQ(saved.exitStatus, 0) << saved.err;
    EXPECT_EQ(result.err, reported("vehicle-editor: another program changed handling.cfg during "
                                   "the editing, so it was not replaced; the edited file was "
                                   "kept as handling.cfg.new.\n"));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(readFile(path("handling.cfg")), "saved by another program\r\n");
    EXPECT_EQ(readFile(path("handling.cfg.new")), fileWithLine(3, kInfernusBrakes));
    EXPECT_FALSE(exists("temp.cfg"));
  }
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

// Run in a console window of its own (under Wine: started on a terminal), every run ends by
// asking for Enter, so that its last message can be read: a run stopped by Ctrl-C too, which then
// ends with Ctrl-C's status. The Enter typed the moment the question appears is the one that
// closes the window, however busy the machine: no read of the run's takes it, and it is not
// cleared with the keys typed before. Nothing here waits against a clock: a slow machine only
// makes the scenario slower (a window that never closes is ended by CTest's own time limit). The
// terminal is driven here: the other scenarios' input is a pipe, which never waits.
TEST_F(EditorTest, OwnWindowWaitsForEnterWhateverTheTiming) {
  SKIP_UNLESS_WINE();
  const struct {
    const char* name;
    const char* atMenu;  // typed at the main menu
    const char* seen;    // on the screen before the question
    int status;
  } cases[] = {
      {"Ctrl-C at the main menu", "\x03", "Ctrl-C", 130},
      {"Ctrl-C at the vehicle prompt, typed ahead", "1\r\x03", "Ctrl-C", 130},
      {"the normal end, leaving at the main menu", "0\r", "Choice:", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> command = windowsCommand("vehicle-editor.exe");
    // Raw from the start: Wine makes its terminal raw only once it runs, and an Enter typed before
    // that would reach it as a line feed, which ends no console line. Ctrl-C stays the signal
    // that Wine turns into the console's Ctrl-C.
    termios raw{};
    cfmakeraw(&raw);
    raw.c_lflag |= ISIG;
    raw.c_cc[VINTR] = '\x03';
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, &raw, nullptr);
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
    // appeared; false when the editor ended first.
    const auto waitFor = [&](const std::string& text) {
      char buffer[4096];
      bool inEscape = false;
      while (screen.find(text) == std::string::npos) {
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        for (ssize_t i = 0; i < got; ++i) {
          const char ch = buffer[i];
          if (ch == '\x1b') {
            inEscape = true;
          } else if (inEscape) {
            inEscape = (ch < 'A' || ch > 'Z') && (ch < 'a' || ch > 'z');
          } else {
            screen += ch;
          }
        }
      }
      return true;
    };
    ASSERT_TRUE(waitFor("Choice:")) << screen;
    const std::string typed = c.atMenu;
    ASSERT_EQ(write(terminal, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    ASSERT_TRUE(waitFor("Press Enter to close this window.")) << screen;
    EXPECT_NE(screen.find(c.seen), std::string::npos) << screen;
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the window closed before Enter";
    // At once: this Enter must close the window.
    ASSERT_EQ(write(terminal, "\r", 1), 1);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    close(terminal);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
    // Wine removes the file of a process that has ended a moment after it ends.
    while (exists("temp.cfg"))
      usleep(10000);
  }
}
