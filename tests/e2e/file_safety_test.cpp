// The handling file survives every failure the editor can meet in the game folder.
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "editor_fixture.h"
#include "editor_texts.h"

using namespace texts;

namespace {

const std::string kEdit = "1 INFERNUS R 2.5 0 0\n";
const std::string kAtFinalMenu = kFinalMenu + kChoice;
// Types the manual edit up to the final menu, does `action` while the editor waits there, then
// answers the final menu.
RunOptions editWithPauseAtFinalMenu(std::function<void()> action) {
  return RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0\n"}, {kAtFinalMenu, action, "0\n"}}};
}

}  // namespace

// Waits until the clock that stamps file changes has moved past the last change of `file`, so
// that the next change of it gets a time of its own even where that clock is coarse.
void waitForNextClockTick(const std::string& file) {
  struct stat info {};
  stat(file.c_str(), &info);
  timespec now{};
  do {
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
  } while (now.tv_sec < info.st_ctim.tv_sec ||
           (now.tv_sec == info.st_ctim.tv_sec && now.tv_nsec <= info.st_ctim.tv_nsec));
}

// What a run shows when temp.cfg could not be created: the final menu, then the message, whose
// line is ended so that the report on standard error starts on a line of its own.
void expectNoTempFile(const RunResult& result) {
  EXPECT_EQ(result.out.substr(result.out.size() - kAtFinalMenu.size() - 34),
            kAtFinalMenu + "Couldn't open the temporary file.\n");
}
// Said before the banner, then at the end.
std::string notCreated(const std::string& reason) {
  return reported("vehicle-editor: no change can be saved in this folder: " + reason + ".\n") +
         reported("vehicle-editor: could not create temp.cfg: " + reason +
                  "; handling.cfg was not changed.\nFor a game under Program Files, start the "
                  "editor as administrator, or copy the game to a folder you may write to.\n");
}

// The same, when the finished edit was kept as `kept` in the user's temporary folder instead:
// where it is, and how to put it in place in the game folder `folder`.
std::string keptElsewhere(const std::string& reason, const std::string& kept,
                          const std::string& folder) {
  return reported("vehicle-editor: no change can be saved in this folder: " + reason + ".\n") +
         reported("vehicle-editor: could not create temp.cfg: " + reason +
                  "; handling.cfg was not changed.\n") +
         reported("vehicle-editor: the edited file was kept as " + kept +
                  "; to use it, copy it over handling.cfg in " + folder +
                  ", as administrator where only an administrator may change that folder (on "
                  "Windows: copy /Y \"" +
                  kept + "\" handling.cfg in a console run as administrator there).\n");
}

// The file a run's report says the edit was kept as, and where a test reads it: under Wine a
// file in the Wine prefix's temporary folder (Wine's own setting, not $TMPDIR), "C:\\...".
std::string keptAs(const std::string& report) {
  const std::string before = "the edited file was kept as";
  const std::size_t start = report.find(before);
  const std::size_t end = report.find("; to use it", start);
  if (start == std::string::npos || end == std::string::npos) return "";
  return report.substr(start + before.size() + 1, end - start - before.size() - 1);
}
std::string readableAt(std::string kept) {
  if (!underWine() || kept.rfind("C:\\", 0) != 0) return kept;
  std::replace(kept.begin(), kept.end(), '\\', '/');
  return std::string(windowsDir()) + "/../wine-prefix/drive_c" + kept.substr(2);
}

TEST_F(EditorTest, TempFileThatIsAFolder) {
  fs::create_directory(path("temp.cfg"));
  fs::create_directory(root_ / "tmp");
  setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
  std::string folder = (root_ / "game").string();
  if (underWine()) {
    std::replace(folder.begin(), folder.end(), '/', '\\');
    folder = "Z:" + folder;
  }
  const RunResult result = run(kEdit);
  const std::string kept =
      underWine() ? keptAs(result.err) : (root_ / "tmp" / "handling.cfg.new").string();
  if (underWine()) {
    // The user's temporary folder, which a Wine prefix fresh from wineboot may not have set yet:
    // Windows then names the user's own folder.
    const std::string name = "\\handling.cfg.new";
    EXPECT_EQ(kept.rfind("C:\\users\\", 0), 0u) << kept;
    EXPECT_TRUE(kept.size() > name.size() &&
                kept.compare(kept.size() - name.size(), name.size(), name) == 0)
        << kept;
  }
  expectNoTempFile(result);
  expectNothingChanged(result, keptElsewhere("Is a directory", kept, folder), originalFile());
  EXPECT_TRUE(fs::is_directory(path("temp.cfg")));
  EXPECT_EQ(readFile(readableAt(kept)), fileWithLine(3, kInfernusBrakes));
  fs::remove(readableAt(kept));

  // As in a console, where both streams meet: the warning comes before the banner, and the end
  // report on a line of its own after the last message.
  const std::string console = (root_ / "console").string();
  writeFile(console, "");
  RunOptions together{{{"", nullptr, kEdit}}};
  together.limits.appendOutputTo = console;
  run(together);
  unsetenv("TMPDIR");
  const std::string seen = underWine() ? foldCrLf(readFile(console)) : readFile(console);
  const std::string warning = keptElsewhere("Is a directory", keptAs(seen), folder);
  fs::remove(readableAt(keptAs(seen)));
  const std::size_t endReport = warning.find("vehicle-editor: could not create");
  EXPECT_EQ(seen.substr(0, endReport), warning.substr(0, endReport));
  EXPECT_EQ(seen.substr(endReport, kBanner.size()), kBanner);
  EXPECT_EQ(seen.substr(seen.size() - 34 - warning.size() + endReport),
            "Couldn't open the temporary file.\n" + warning.substr(endReport));
  // A console window of 25 lines still shows the warning when the first "Choice: " waits.
  const std::string firstScreen = seen.substr(0, seen.find("Choice: "));
  EXPECT_LE(std::count(firstScreen.begin(), firstScreen.end(), '\n'), 24) << firstScreen;
}

TEST_F(EditorTest, TempFileLeftFromAnEarlierRunIsEmptiedAndReplaced) {
  writeFile(path("temp.cfg"), "left over\r\n");
  EXPECT_EQ(run(kEdit).exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  EXPECT_FALSE(exists("temp.cfg"));

  // Left by another user, and unreadable: the folder's lock says that no editor is at work.
  SKIP_UNDER_WINE("POSIX owners and permissions");
  SKIP_UNLESS_ROOT_CAN_DROP_RIGHTS();
  openFoldersToNobody(fs::perms::all);
  writeFile(path("handling.cfg"), originalFile());
  chmod(path("handling.cfg").c_str(), 0666);
  writeFile(path("temp.cfg"), "left over\r\n");
  chmod(path("temp.cfg").c_str(), 0);
  EXPECT_EQ(run(asNobody(editorCommand()), RunOptions{{{"", nullptr, kEdit}}}).exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  EXPECT_FALSE(exists("temp.cfg"));
}

// File size limits below the size of the new file make a write fail part way, at several
// points: early, past the first large write, and at the very last byte.
TEST_F(EditorTest, WriteFailureKeepsTheHandlingFile) {
  SKIP_UNDER_WINE("the write failure comes from a POSIX file size limit (RLIMIT_FSIZE)");
  std::string padding;
  while (padding.size() < 3 * 1024 * 1024)
    padding += "; padding line to make the file large\r\n";
  const std::string big = padding + originalFile();
  const std::string edited = padding + fileWithLine(3, kInfernusBrakes);
  for (const std::size_t limit : {std::size_t{4096}, std::size_t{1536 * 1024}, edited.size() - 1}) {
    SCOPED_TRACE(limit);
    writeFile(path("handling.cfg"), big);
    RunOptions options{{{"", nullptr, kEdit}}};
    options.limits.fileSizeLimit = static_cast<long>(limit);
    expectNothingChanged(run(options),
                         "vehicle-editor: could not write temp.cfg: File too large; handling.cfg "
                         "was not changed.\n",
                         big);
  }
}

// A link named temp.cfg is removed, never written through; a file of that name with other
// names (a hard link) loses that name, not its bytes.
TEST_F(EditorTest, TempFileThatIsASymbolicLink) {
  SKIP_UNDER_WINE("Wine shows a POSIX symbolic link to Windows programs as the file it names");
  const std::string victim = (root_ / "victim.txt").string();
  enum Kind { toAFile, dangling, hard };
  for (const Kind kind : {toAFile, dangling, hard}) {
    SCOPED_TRACE(kind);
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(victim);
    if (kind != dangling) writeFile(victim, "not yours\n");
    if (kind == hard) {
      fs::create_hard_link(victim, path("temp.cfg"));
    } else {
      fs::create_symlink(victim, path("temp.cfg"));
    }
    const RunResult result = run(kEdit);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
    EXPECT_FALSE(exists("temp.cfg"));
    EXPECT_EQ(fs::exists(victim), kind != dangling);
    if (kind != dangling) {
      EXPECT_EQ(readFile(victim), "not yours\n");
    }
  }
}

TEST_F(EditorTest, PermissionBits) {
  SKIP_UNDER_WINE("Windows files have no permission bits; see ReadOnlyAttributeIsCleared");
  chmod(path("handling.cfg").c_str(), 0640);
  // The game's user and group keep the file; only root may give it to them.
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(path("handling.cfg").c_str(), 1234, 5678), 0);
  }
  EXPECT_EQ(run(kEdit).exitStatus, 0);
  EXPECT_EQ(mode("handling.cfg"), 0640u);
  struct stat info {};
  stat(path("handling.cfg").c_str(), &info);
  if (root) {
    EXPECT_EQ(info.st_uid, 1234u);
    EXPECT_EQ(info.st_gid, 5678u);
  }

  // A read-only file is made writable for its owner at start-up, even when nothing is edited.
  chmod(path("handling.cfg").c_str(), 0444);
  const std::string before = readFile(path("handling.cfg"));
  EXPECT_EQ(run("0\n").exitStatus, 0);
  EXPECT_EQ(mode("handling.cfg"), 0644u);
  EXPECT_EQ(readFile(path("handling.cfg")), before);

  // And it is edited like any other; the run's own change of mode is not another program's.
  chmod(path("handling.cfg").c_str(), 0444);
  waitForNextClockTick(path("handling.cfg"));
  EXPECT_EQ(run(kEdit).exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));

  // A user who may not give the file its owner keeps its group, one they belong to.
  SKIP_UNLESS_ROOT_CAN_DROP_RIGHTS();
  openFoldersToNobody(fs::perms::all);
  ASSERT_EQ(chown(path("handling.cfg").c_str(), 1234, 5678), 0);
  chmod(path("handling.cfg").c_str(), 0660);
  EXPECT_EQ(run(asNobody(editorCommand(), "5678"), RunOptions{{{"", nullptr, kEdit}}}).exitStatus,
            0);
  stat(path("handling.cfg").c_str(), &info);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 5678u);
  EXPECT_EQ(mode("handling.cfg"), 0660u);
}

TEST_F(EditorTest, HandlingFileDeletedWhileEditing) {
  const RunResult result =
      run(editWithPauseAtFinalMenu([this] { fs::remove(path("handling.cfg")); }));
  EXPECT_EQ(result.out.substr(result.out.size() - kAtFinalMenu.size() - 1), kAtFinalMenu + "\n");
  EXPECT_EQ(result.err, "\nError deleting config.cfg: No such file or directory\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  EXPECT_FALSE(exists("temp.cfg"));
}

// When the edited file cannot take the handling file's place, handling.cfg stays as it is and
// the edit is kept under a name that no later run empties or overwrites: here a folder whose
// sticky bit lets the user make temp.cfg but not replace root's handling.cfg.
TEST_F(EditorTest, ReplacementRefused) {
  SKIP_UNDER_WINE("Windows' refusal is HandlingFileHeldOpenByAnotherProgram");
  SKIP_UNLESS_ROOT_CAN_DROP_RIGHTS();
  openFoldersToNobody(fs::perms::all | fs::perms::sticky_bit);
  const RunResult result = run(asNobody(editorCommand()), RunOptions{{{"", nullptr, kEdit}}});
  EXPECT_EQ(result.out.substr(result.out.size() - kAtFinalMenu.size() - 1), kAtFinalMenu + "\n");
  expectEditKept(result, "Operation not permitted");
  writeFile(path("handling.cfg.new"), "an earlier kept edit\r\n");
  // The edit kept earlier is named before the first prompt.
  RunResult second = run(asNobody(editorCommand()), RunOptions{{{"", nullptr, kEdit}}});
  const std::string waiting = reported(waitingEdits("handling.cfg.new", true));
  EXPECT_EQ(second.err.substr(0, waiting.size()), waiting);
  second.err.erase(0, waiting.size());
  expectEditKept(second, "Operation not permitted", "handling.cfg.new.2");
  const RunResult third = run(asNobody(editorCommand()), RunOptions{{{"", nullptr, "0\n"}}});
  EXPECT_EQ(third.err, reported(waitingEdits("handling.cfg.new, handling.cfg.new.2", false)));
  EXPECT_EQ(third.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg.new")), "an earlier kept edit\r\n");
  EXPECT_EQ(readFile(path("handling.cfg.new.2")), fileWithLine(3, kInfernusBrakes));
}

// A folder the user may read but not write: temp.cfg cannot be made, nothing is replaced. The
// finished edit is kept whole as a new file in the user's temporary folder ($TMPDIR), beside a
// file of that name that stays untouched, and the end says where and how to put it in place;
// where that folder is closed too, the edit has nowhere to go.
TEST_F(EditorTest, ReadOnlyFolder) {
  SKIP_UNDER_WINE("POSIX folder permissions");
  SKIP_UNLESS_ROOT_CAN_DROP_RIGHTS();
  openFoldersToNobody(fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec);
  const fs::path closed = root_ / "closed";
  const fs::path open = root_ / "open";
  fs::create_directory(closed);
  fs::create_directory(open);
  fs::permissions(open, fs::perms::all);
  writeFile((open / "handling.cfg.new").string(), "another run's kept edit\r\n");
  const std::string kept = (open / "handling.cfg.new.2").string();
  const struct {
    fs::path temporaryFolder;
    std::string err;
  } cases[] = {
      {closed, notCreated("Permission denied")},
      {open, keptElsewhere("Permission denied", kept, (root_ / "game").string())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.temporaryFolder.string());
    setenv("TMPDIR", c.temporaryFolder.c_str(), 1);
    const RunResult result = run(asNobody(editorCommand()), RunOptions{{{"", nullptr, kEdit}}});
    unsetenv("TMPDIR");
    expectNoTempFile(result);
    expectNothingChanged(result, c.err, originalFile());
    EXPECT_FALSE(exists("temp.cfg"));
  }
  EXPECT_EQ(readFile((open / "handling.cfg.new").string()), "another run's kept edit\r\n");
  EXPECT_EQ(readFile(kept), fileWithLine(3, kInfernusBrakes));
  EXPECT_TRUE(fs::is_empty(closed));
}

// Another program writes its own handling.cfg while the editor waits: that file is kept. When
// it put a new file in place, the edit is kept in temp.cfg; when it rewrote the file the editor
// holds open, the original lines are gone and no temp.cfg is made from the mixture.
TEST_F(EditorTest, HandlingFileChangedByAnotherProgramWhileEditing) {
  const std::string theirs = "RUMPO 1 2 3\r\n";
  // The same size and, set back as cp -p or touch -r do, the same time of last write.
  std::string sameSize = originalFile();
  sameSize.replace(sameSize.find("1100.0"), 6, "1200.0");
  const struct {
    const char* name;
    std::function<void(const std::string&)> change;
    std::string after;
    std::string err;
    bool editKept;
    // Changed while the editor waits at the main menu, before the lookup, instead of at the final
    // menu.
    bool atMainMenu = false;
  } cases[] = {
      {"replaced",
       [&](const std::string& file) {
         writeFile(file + ".tmp", theirs);
         fs::rename(file + ".tmp", file);
       },
       theirs,
       "vehicle-editor: another program changed handling.cfg during the editing, so it was not "
       "replaced; the edited file was kept as handling.cfg.new.\n",
       true},
      {"rewritten in place", [&](const std::string& file) { writeFile(file, theirs); }, theirs,
       "vehicle-editor: could not write temp.cfg: another program changed handling.cfg during "
       "the editing; handling.cfg was not changed.\n",
       false},
      {"rewritten in place, same size and time",
       [&](const std::string& file) {
         const auto written = fs::last_write_time(file);
         writeFile(file, sameSize);
         fs::last_write_time(file, written);
       },
       sameSize,
       "vehicle-editor: could not write temp.cfg: another program changed handling.cfg during "
       "the editing; handling.cfg was not changed.\n",
       false},
      {"rewritten in place before the lookup",
       [&](const std::string& file) { writeFile(file, sameSize); }, sameSize,
       "vehicle-editor: could not write temp.cfg: another program changed handling.cfg during "
       "the editing; handling.cfg was not changed.\n",
       false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(path("temp.cfg"));
    fs::remove(path("handling.cfg.new"));
    const auto change = [&] { c.change(path("handling.cfg")); };
    const RunResult result =
        run(c.atMainMenu ? RunOptions{{{"Choice: ", change, "1 INFERNUS R 2.5 0 0\n"}}}
                         : editWithPauseAtFinalMenu(change));
    // On Windows the copy is made from the bytes the lookup read, which the editor keeps from
    // then on: an edit of a file rewritten in place after the lookup is kept as for a new file.
    const bool editKept = c.editKept || (underWine() && !c.atMainMenu);
    EXPECT_EQ(result.err, reported(editKept ? cases[0].err : c.err));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(readFile(path("handling.cfg")), c.after);
    EXPECT_FALSE(exists("temp.cfg"));
    EXPECT_EQ(exists("handling.cfg.new"), editKept);
    if (editKept) {
      EXPECT_EQ(readFile(path("handling.cfg.new")), fileWithLine(3, kInfernusBrakes));
    }
  }
}

// Another program replaces or removes temp.cfg while the editor waits: handling.cfg is not
// replaced by a file this run did not write, and the other program's file is left alone.
TEST_F(EditorTest, TempFileReplacedOrRemovedByAnotherProgram) {
  SKIP_UNDER_WINE(
      "on Windows no program can replace or remove temp.cfg while the editor holds it; Wine "
      "lets POSIX programs do it");
  const std::string theirs = "not the edit\r\n";
  const struct {
    const char* name;
    std::function<void(const std::string&)> change;
    bool theirsLeft;
  } cases[] = {
      {"replaced",
       [&](const std::string& file) {
         writeFile(file + ".tmp", theirs);
         fs::rename(file + ".tmp", file);
       },
       true},
      {"removed", [](const std::string& file) { fs::remove(file); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(path("temp.cfg"));
    const RunResult result = run(editWithPauseAtFinalMenu([&] { c.change(path("temp.cfg")); }));
    EXPECT_EQ(
        result.err,
        reported("vehicle-editor: another program replaced or removed temp.cfg during the editing, "
                 "and the edit with it; handling.cfg was not changed.\n"));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
    EXPECT_EQ(exists("temp.cfg"), c.theirsLeft);
    if (c.theirsLeft) {
      EXPECT_EQ(readFile(path("temp.cfg")), theirs);
    }
  }
}

// A second editor started in the same folder while the first waits refuses to start and touches
// nothing, even when it may not read the first one's temp.cfg, or when the folder cannot be
// locked (it may be written, not read); the first finishes its edit.
TEST_F(EditorTest, SecondEditorInTheSameFolder) {
  fs::create_directory(root_ / "second");
  const bool dropRights = !underWine() && geteuid() == 0 && access("/usr/bin/setpriv", X_OK) == 0;
  if (dropRights) openFoldersToNobody(fs::perms::all);
  for (const int kind : {0, 1, 2}) {
    const bool unreadable = kind == 1;
    const bool unlockable = kind == 2;
    if (kind > 0 && !dropRights) continue;
    SCOPED_TRACE(unreadable   ? "as another user, who may not read temp.cfg"
                 : unlockable ? "both as nobody, in a folder they may write but not read"
                              : "as the same user");
    if (unlockable)
      fs::permissions(root_ / "game", fs::perms::owner_all | fs::perms::group_write |
                                          fs::perms::group_exec | fs::perms::others_write |
                                          fs::perms::others_exec);
    writeFile(path("handling.cfg"), originalFile());
    chmod(path("handling.cfg").c_str(), 0666);
    // The first editor's files are its owner's alone.
    const mode_t mask = umask(unreadable ? 0077 : 0022);
    // An undo is refused the same way.
    writeFile(path("handling.cfg.bak"), "an earlier backup\r\n");
    chmod(path("handling.cfg.bak").c_str(), 0666);
    RunResult second;
    RunResult secondUndo;
    const RunResult first =
        run(unlockable ? asNobody(editorCommand()) : editorCommand(), editWithPauseAtFinalMenu([&] {
              umask(mask);
              auto command = kind > 0 ? asNobody(editorCommand()) : editorCommand();
              second = runProgram(command, path(""), (root_ / "second").string(),
                                  RunOptions{{{"", nullptr, "2 RUMPO 0\n"}}});
              command.push_back("undo");
              secondUndo = runProgram(command, path(""), (root_ / "second").string(), {});
            }));
    umask(mask);
    for (const RunResult& refused : {second, secondUndo}) {
      EXPECT_EQ(foldCrLf(refused.out), "");
      // Written out in full once, one line into a file.
      EXPECT_EQ(foldCrLf(refused.err),
                "vehicle-editor: another vehicle-editor is editing handling.cfg in this folder; "
                "handling.cfg was not changed.\n");
      EXPECT_EQ(refused.exitStatus, 1);
    }
    EXPECT_EQ(readFile(path("handling.cfg.bak")), originalFile());
    EXPECT_EQ(first.err, "");
    EXPECT_EQ(first.exitStatus, 0);
    EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

// Links to handling.cfg: the file they lead to is never changed, and a link that the replacement
// breaks is named on standard error.
TEST_F(EditorTest, HandlingFileWithOtherNames) {
  SKIP_UNDER_WINE("Wine shows a POSIX link to Windows programs as the file it names");
  const std::string other = (root_ / "other.cfg").string();
  const struct {
    const char* name;
    std::string target;
    std::function<void(const std::string&)> link;
    std::string err;
  } cases[] = {
      {"a symbolic link", other,
       [&](const std::string& target) { fs::create_symlink(target, path("handling.cfg")); },
       "vehicle-editor: handling.cfg was a symbolic link to " + other +
           "; it is now a file of its own, and " + other + " keeps the old file.\n"},
      {"a hard link", other,
       [&](const std::string& target) { fs::create_hard_link(target, path("handling.cfg")); },
       "vehicle-editor: handling.cfg had other names (hard links); it is now a file of its own, "
       "and the other names keep the old file.\n"},
      // The editor's own new file would take the place of the file handling.cfg leads to.
      {"a symbolic link to temp.cfg", path("temp.cfg"),
       [&](const std::string&) { fs::create_symlink("temp.cfg", path("handling.cfg")); },
       "vehicle-editor: handling.cfg is a link that leads to temp.cfg, the name the editor writes "
       "its new file under; handling.cfg was not changed.\n"},
      // Refused before temp.cfg is made, and with it an empty handling.cfg.
      {"a symbolic link to temp.cfg, which is missing", path("temp.cfg"),
       [&](const std::string& target) {
         fs::remove(target);
         fs::create_symlink("./temp.cfg", path("handling.cfg"));
       },
       "vehicle-editor: handling.cfg is a link that leads to temp.cfg, the name the editor writes "
       "its new file under; handling.cfg was not changed.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path("handling.cfg"));
    fs::remove(c.target);
    writeFile(c.target, originalFile());
    chmod(c.target.c_str(), 0444);
    c.link(c.target);
    const bool refused = c.target != other;
    const RunResult result = run(kEdit);
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, refused ? 1 : 0);
    if (!fs::exists(c.target)) {
      EXPECT_TRUE(fs::is_symlink(path("handling.cfg")));
      continue;
    }
    EXPECT_EQ(readFile(c.target), originalFile());
    struct stat info {};
    lstat(c.target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    lstat(path("handling.cfg").c_str(), &info);
    EXPECT_EQ(S_ISLNK(info.st_mode), refused);
    if (refused) continue;
    EXPECT_EQ(info.st_nlink, 1u);
    EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  }
}

// Commands that edit wait for another editor in the folder to finish (--wait), and then make
// their edits on the file it left: two at once both succeed. Past the time, the usual refusal.
TEST_F(EditorTest, CommandsWaitForAnotherEditor) {
  const auto command = [](const std::vector<std::string>& arguments) {
    std::vector<std::string> line = editorCommand();
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
  };
  const auto waiting = [](const std::string& seconds) {
    return "vehicle-editor: another vehicle-editor is editing handling.cfg in this folder; "
           "waiting up to " +
           seconds + (seconds == "1" ? " second.\n" : " seconds.\n");
  };
  std::vector<std::unique_ptr<ChildProcess>> sets;
  RunResult late;
  RunResult impatient;
  fs::create_directory(root_ / "impatient");
  fs::create_directory(root_ / "late");
  const RunResult first = run(editWithPauseAtFinalMenu([&] {
    impatient = runProgram(command({"preset", "--wait", "0", "rhino", "TANK"}), path(""),
                           (root_ / "impatient").string(), RunOptions{{{"", nullptr, ""}}});
    late = runProgram(command({"set", "--wait", "1", "BIKE", "R=1.0"}), path(""),
                      (root_ / "late").string(), RunOptions{{{"", nullptr, ""}}});
    for (const char* vehicle : {"STINGER", "TANK"}) {
      fs::create_directory(root_ / vehicle);
      sets.push_back(std::make_unique<ChildProcess>(
          command({"set", vehicle, "R=1.0", "--wait", "20"}), path(""),
          (root_ / vehicle / "out").string(), (root_ / vehicle / "err").string()));
    }
    // Until both say that they wait.
    for (int tries = 0; tries < 3000; ++tries) {
      if (foldCrLf(readFile((root_ / "STINGER" / "err").string())) == waiting("20") &&
          foldCrLf(readFile((root_ / "TANK" / "err").string())) == waiting("20"))
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }));
  EXPECT_EQ(first.exitStatus, 0);
  EXPECT_EQ(foldCrLf(impatient.err),
            "vehicle-editor: another vehicle-editor is editing handling.cfg in this folder; "
            "handling.cfg was not changed.\n");
  EXPECT_EQ(impatient.exitStatus, 1);
  EXPECT_EQ(foldCrLf(late.err),
            waiting("1") +
                "vehicle-editor: another vehicle-editor is editing handling.cfg in this folder; "
                "handling.cfg was not changed.\n");
  EXPECT_EQ(late.out, "");
  EXPECT_EQ(late.exitStatus, 1);
  for (std::size_t i = 0; i < sets.size(); ++i) {
    RunResult result;
    sets[i]->finish(&result);
    const std::string vehicle = i == 0 ? "STINGER" : "TANK";
    SCOPED_TRACE(vehicle);
    EXPECT_EQ(foldCrLf(result.err), waiting("20"));
    EXPECT_EQ(foldCrLf(result.out),
              vehicle + ": fBrakeDeceleration " + (i == 0 ? "10.0" : "5.0") + " -> 1.0\n");
    EXPECT_EQ(result.exitStatus, 0);
  }
  for (const auto& [vehicle, value] : {std::pair<std::string, std::string>{"INFERNUS", "2.5"},
                                       {"STINGER", "1.0"},
                                       {"TANK", "1.0"},
                                       {"BIKE", "12.0"}})
    EXPECT_EQ(foldCrLf(run(command({"get", vehicle, "R"}), RunOptions{{{"", nullptr, ""}}}).out),
              value + "\n")
        << vehicle;
  EXPECT_FALSE(exists("temp.cfg"));
}

// Every replacement keeps the file it replaced as handling.cfg.bak, its bytes and mode, in place
// of an older backup; where the file system has no hard links (exFAT) as a copy. When no backup
// can be made the edit goes in place all the same, with one note saying why.
TEST_F(EditorTest, BackupOfEveryReplacement) {
  const std::string edited = fileWithLine(3, kInfernusBrakes);
  const struct {
    const char* name;
    const char* fault;  // for the preloaded library; nullptr: none
    std::function<void()> prepare;
    std::vector<std::string> edits;
    std::string backup;  // empty: no backup file
    std::string err;
  } cases[] = {
      {"one edit", nullptr, nullptr, {kEdit}, originalFile(), ""},
      {"two edits: the file the second one replaced", nullptr, nullptr, {kEdit, kEdit}, edited, ""},
      {"no hard links, as on exFAT", "no-links", nullptr, {kEdit}, originalFile(), ""},
      {"a symbolic link",
       nullptr,
       [this] {
         writeFile((root_ / "linked.cfg").string(), originalFile());
         chmod((root_ / "linked.cfg").c_str(), 0640);
         fs::remove(path("handling.cfg"));
         fs::create_symlink(root_ / "linked.cfg", path("handling.cfg"));
       },
       {kEdit},
       originalFile(),
       "vehicle-editor: handling.cfg was a symbolic link to " + (root_ / "linked.cfg").string() +
           "; it is now a file of its own, and " + (root_ / "linked.cfg").string() +
           " keeps the old file.\n"},
      {"an older backup and a scratch copy left by a run that was cut off",
       nullptr,
       [this] {
         writeFile(path("handling.cfg.bak"), "an older backup\r\n");
         writeFile(path("handling.cfg.bak.tmp"), "left over\r\n");
       },
       {kEdit},
       originalFile(),
       ""},
      // Left by a run killed between keeping the backup and the swap: no link of the user's.
      {"a backup that is handling.cfg under a second name",
       nullptr,
       [this] { fs::create_hard_link(path("handling.cfg"), path("handling.cfg.bak")); },
       {kEdit},
       originalFile(),
       ""},
      {"a copy that cannot be written",
       "no-links,write-backup",
       nullptr,
       {kEdit},
       "",
       "vehicle-editor: no backup of the old file was kept, since handling.cfg.bak could not be "
       "made (Input/output error).\n"},
      {"the old file cannot be read for its copy",
       "no-links,read-copy",
       nullptr,
       {kEdit},
       "",
       "vehicle-editor: no backup of the old file was kept, since handling.cfg.bak could not be "
       "made (Input/output error).\n"},
      {"no backup can be made",
       "rename-backup",
       nullptr,
       {kEdit},
       "",
       "vehicle-editor: no backup of the old file was kept, since handling.cfg.bak could not be "
       "made (Input/output error).\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool posixOnly = c.fault != nullptr || c.prepare != nullptr;
    if (posixOnly && underWine()) continue;
    fs::remove(path("handling.cfg"));
    fs::remove(path("handling.cfg.bak"));
    writeFile(path("handling.cfg"), originalFile());
    chmod(path("handling.cfg").c_str(), 0640);
    if (c.prepare) c.prepare();
    if (c.fault) {
      setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
      setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
      setenv("VEHICLE_EDITOR_FAULT", c.fault, 1);
    }
    RunResult result;
    for (const std::string& edit : c.edits)
      result = run(edit);
    unsetenv("VEHICLE_EDITOR_FAULT");
    unsetenv("LD_PRELOAD");
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFile(path("handling.cfg")), edited);
    EXPECT_FALSE(exists("handling.cfg.bak.tmp"));
    if (c.backup.empty()) {
      EXPECT_FALSE(exists("handling.cfg.bak"));
      continue;
    }
    EXPECT_EQ(readFile(path("handling.cfg.bak")), c.backup);
    // A file of its own, never a link that leads where handling.cfg led.
    EXPECT_FALSE(fs::is_symlink(path("handling.cfg.bak")));
    if (!underWine()) {
      EXPECT_EQ(mode("handling.cfg.bak"), 0640u);
    }
  }
}
