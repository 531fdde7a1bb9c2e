// A fresh folder per test with a handling file in it, and the built editor run inside it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "editor_texts.h"

namespace fs = std::filesystem;

// The handling file the scenarios start from: marker lines, an empty line, tab and blank
// separators, one line ending in LF alone and a last line without a line end.
inline const std::vector<std::string> kLines = {
    "; test file naming RUMPO and INFERNUS",
    "$ RUMPO marker line",
    "RUMPO    1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8 0.8 0.5 4 160.0 20.0 R D 7.0 0.5 0 30.0 1.2 "
    "0.1 0.2 0.3 20000 0.3 -0.1 0.5 0.2 4001 1 1",
    "INFERNUS\t1100.0\t2.0\t4.4\t1.2\t0.0\t0.0\t-0.3\t70\t0.9\t0.8\t0.5\t5\t220.0\t30.0\t4\tP\t9.0"
    "\t0.5\t1\t35.0\t1.5\t0.1\t0.3\t0.2\t95000\t0.3\t-0.2\t0.5\t0.4\t2003\t2\t0",
    "",
    "BIKE 400.0 0.8 2.1 1.2 0.0 0.1 -0.1 90 1.5 0.9 0.5 5 180.0 32.0 R P 12.0 0.5 0 30.0 2.0 0.1 "
    "0.3 0.5 10000 0.3 -0.1 0.5 0.0 1000001 0 0",
    "TANK 10000.0 3.0 6.0 2.0 0.0 0.0 0.0 99 0.5 0.5 0.5 3 90.0 10.0 4 D 5.0 0.5 0 25.0 1.0 0.1 "
    "0.2 0.1 110000 0.2 -0.1 0.5 0.0 40000 0 0",
    "STINGER 1300.0 2.2 4.8 1.3 0.0 0.0 -0.2 75 1.0 0.9 0.5 5 200.0 28.0 R P 10.0 0.5 0 32.0 1.4 "
    "0.1 0.3 0.3 80000 0.3 -0.1 0.5 0.3 2004 1 1",
};

// kLines as stored: CR LF line ends, but LF alone after BIKE and none after the last line.
inline std::string originalFile() {
  std::string bytes;
  for (std::size_t i = 0; i < kLines.size(); ++i) {
    bytes += kLines[i];
    if (i + 1 < kLines.size()) bytes += kLines[i].rfind("BIKE", 0) == 0 ? "\n" : "\r\n";
  }
  return bytes;
}

// kLines as the editor writes them back, CR LF after every line, with line `number` replaced.
inline std::string fileWithLine(std::size_t number, const std::string& line) {
  std::string bytes;
  for (std::size_t i = 0; i < kLines.size(); ++i)
    bytes += (i == number ? line : kLines[i]) + "\r\n";
  return bytes;
}

// A vehicle line as the editor writes it, from the runs of values between its wide gaps.
inline std::string written(const std::string& id, const std::string& values1to9,
                           const std::string& values10to29, const std::string& flags,
                           const std::string& lights) {
  return id + std::string(9, ' ') + values1to9 + "  " + values10to29 + std::string(28, ' ') +
         flags + std::string(16, ' ') + lights;
}

// The INFERNUS line as the editor writes it after "1 INFERNUS R 2.5": fBrakeDeceleration changed.
inline const std::string kInfernusBrakes =
    written("INFERNUS", "1100.0 2.0 4.4 1.2 0.0 0.0 -0.3 70 0.9",
            "0.8 0.5 5 220.0 30.0 4 P 2.5 0.5 1 35.0 1.5 0.1 0.3 0.2 95000 0.3 -0.2 0.5 0.4",
            "2003", "2 0");

// Set by CTest, to the folder of the Windows build, when the scenarios run that build under
// Wine; the Wine prefix is beside that folder.
inline const char* windowsDir() {
  return std::getenv("VEHICLE_EDITOR_WINDOWS_DIR");
}
inline bool underWine() {
  return windowsDir() != nullptr;
}
#ifndef VEHICLE_EDITOR_WINE64
#define VEHICLE_EDITOR_WINE64 ""
#endif
// The command that runs `program` of the Windows build under Wine.
inline std::vector<std::string> windowsCommand(const std::string& program) {
  const std::string dir = windowsDir();
  setenv("WINEPREFIX", (dir + "/../wine-prefix").c_str(), 1);
  setenv("WINEDEBUG", "-all", 1);
  return {VEHICLE_EDITOR_WINE64, dir + "/" + program};
}
inline std::vector<std::string> editorCommand() {
  if (underWine()) return windowsCommand("vehicle-editor.exe");
  return {VEHICLE_EDITOR_EXE};
}

// For scenarios that need means only POSIX has; they are skipped, with the reason, under Wine.
#define SKIP_UNDER_WINE(reason) \
  if (underWine()) GTEST_SKIP() << "not under Wine: " << (reason)

// Runs `command` as the unprivileged user nobody, for refusals that root never meets; with
// `group`, nobody is a member of that group too.
inline std::vector<std::string> asNobody(std::vector<std::string> command,
                                         const std::string& group = "") {
  command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                   group.empty() ? "--clear-groups" : "--groups=" + group});
  return command;
}
#define SKIP_UNLESS_ROOT_CAN_DROP_RIGHTS()                                                    \
  if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)                                \
  GTEST_SKIP() << "needs root and setpriv (util-linux) to run the editor as an unprivileged " \
                  "user"

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vehicle-editor-e2e-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directory(root_ / "game");
    writeFile(path("handling.cfg"), originalFile());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(root_ / "game", fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
  }

  std::string path(const std::string& name) const { return (root_ / "game" / name).string(); }
  bool exists(const std::string& name) const {
    return fs::exists(fs::symlink_status(root_ / "game" / name));
  }
  unsigned mode(const std::string& name) const {
    struct stat info {};
    stat(path(name).c_str(), &info);
    return info.st_mode & 07777;
  }

  RunResult run(const std::string& input) { return run(RunOptions{{{"", nullptr, input}}}); }
  // Lets the user nobody into the test's folders; `gameMode` is the game folder's mode.
  void openFoldersToNobody(fs::perms gameMode) {
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(root_ / "game", gameMode);
  }
  RunResult run(const RunOptions& options) { return run(editorCommand(), options); }
  RunResult run(const std::vector<std::string>& command, const RunOptions& options) {
    RunResult result = runProgram(command, (root_ / "game").string(), root_.string(), options);
    if (underWine()) {
      // A Windows console program's "\n" reaches the console as CR LF.
      result.out = foldCrLf(result.out);
      result.err = foldCrLf(result.err);
    }
    EXPECT_FALSE(result.timedOut) << "the editor did not finish; it wrote:\n" << result.out;
    // Into a file, as here, a report is never broken: a search for "vehicle-editor:" finds every
    // line of it. Only the menus' own lines and notes of more than one sentence stand apart.
    for (std::size_t start = 0, end = 0; start < result.err.size(); start = end + 1) {
      end = std::min(result.err.find('\n', start), result.err.size());
      const std::string line = result.err.substr(start, end - start);
      // Or the start of one that a file size limit cut short.
      bool known = std::string("vehicle-editor: ").rfind(line, 0) == 0;
      for (const char* head :
           {"vehicle-editor: ", "Error deleting config.cfg: ", "For a game under Program Files",
            "Start the editor in the folder", "handling.cfg was not changed."})
        known = known || line.rfind(head, 0) == 0;
      EXPECT_TRUE(known) << "a report broken in two: " << line;
    }
    EXPECT_EQ(result.signal, 0);
    return result;
  }

  // The run stopped with `err` as its one line on standard error and exit status 1, leaving
  // handling.cfg as `before` and no temp.cfg behind.
  void expectNothingChanged(const RunResult& result, const std::string& err,
                            const std::string& before) {
    EXPECT_EQ(result.err, texts::reported(err));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(readFile(path("handling.cfg")), before);
    EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(path("temp.cfg"))));
  }

  // The INFERNUS edit could not replace handling.cfg for `reason`: the failure line and the
  // note on standard error, exit status 1, handling.cfg as it was and the edit kept as `kept`.
  void expectEditKept(const RunResult& result, const std::string& reason,
                      const std::string& kept = "handling.cfg.new") {
    EXPECT_EQ(result.err,
              "\nError deleting config.cfg: " + reason + "\n" +
                  texts::reported("vehicle-editor: handling.cfg was not changed: " + reason +
                                  "; the edited file was kept as " + kept + ".\n"));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
    EXPECT_EQ(readFile(path(kept)), fileWithLine(3, kInfernusBrakes));
    EXPECT_FALSE(exists("temp.cfg"));
  }

  fs::path root_;
};
