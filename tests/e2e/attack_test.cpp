// Attacks on the editor's promise: after any fault handling.cfg holds its old bytes or the
// complete edited file, and no input, however odd, hangs the editor, crashes it or changes a
// line it did not mean to change. Figures go to the report folder for scripts/test.sh to print.
#include <signal.h>
#include <sys/mount.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "editor_fixture.h"
#include "editor_texts.h"

using namespace texts;

namespace {

// A vehicle line whose values are their column numbers, and the same line after "B 9.5".
std::string targetLine(const std::string& id = "ZZTARGET") {
  std::string line = id;
  for (int column = 1; column <= 32; ++column)
    line += " " + std::to_string(column);
  return line;
}
std::string editedTarget(const std::string& id = "ZZTARGET") {
  return written(id, "9.5 2 3 4 5 6 7 8 9",
                 "10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29", "30", "31 32");
}
const std::string kEditedTarget = editedTarget();
const std::string kTargetEdit = "1 ZZTARGET B 9.5 0 0\n";
// Two extra columns and a comment after the 33rd column, which every edit keeps as they are.
const std::string kExtrasTail = "\t33  34 \t; spare  wheel ";

// A synthetic handling file of about `bytes` bytes whose last line is the target, so that the
// lookup reads all of it; and the same file as the edit writes it.
std::string bigFile(std::size_t bytes) {
  const std::string car =
      " 1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8 0.8 0.5 4 160.0 20.0 R D 7.0 0.5 0 30.0 1.2 0.1 "
      "0.2 0.3 20000 0.3 -0.1 0.5 0.2 4001 1 1\r\n";
  std::string file;
  file.reserve(bytes + 256);
  for (int number = 0; file.size() < bytes; ++number)
    file += "CAR" + std::to_string(number) + car;
  return file + targetLine() + "\r\n";
}
std::string editedBigFile(const std::string& original) {
  return original.substr(0, original.size() - targetLine().size() - 2) + kEditedTarget + "\r\n";
}

void report(const std::string& name, const std::string& text) {
  std::ofstream(std::string(VEHICLE_EDITOR_REPORT_DIR) + "/" + name + ".txt") << text << "\n";
  std::cout << text << "\n";
}

int killCount() {
  const char* count = std::getenv("VEHICLE_EDITOR_KILLS");
  return count ? std::atoi(count) : 200;
}

}  // namespace

// SIGKILL, and the requests to stop that the editor catches (SIGINT, SIGTERM, SIGHUP), at
// moments spread over whole runs: reading, writing, forcing to disk, replacing. A moment is
// measured by the run's progress, not by time: the preloaded library sends the signal right after
// the editor's Nth call on the game folder, so every signal lands, however busy the machine.
TEST_F(EditorTest, KilledAtAnyMoment) {
  SKIP_UNDER_WINE("the kills are sent to the Linux build");
  const std::string original = bigFile(4 << 20);
  const std::string edited = editedBigFile(original);
  const std::string pristine = (root_ / "pristine.cfg").string();
  writeFile(pristine, original);
  const auto reset = [&] {
    fs::remove(path("temp.cfg"));
    fs::remove(path("handling.cfg.bak"));
    fs::copy_file(pristine, path("handling.cfg"), fs::copy_options::overwrite_existing);
  };
  setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);

  // One whole run, logged, gives the number of moments.
  reset();
  const std::string log = (root_ / "calls.log").string();
  setenv("VEHICLE_EDITOR_FAULT", ("log:" + log).c_str(), 1);
  ASSERT_EQ(run(kTargetEdit).exitStatus, 0);
  ASSERT_EQ(readFile(path("handling.cfg")), edited);
  std::ifstream calls(log);
  const auto moments = std::count(std::istreambuf_iterator<char>(calls), {}, '\n');
  ASSERT_GT(moments, 10);

  const int kills = killCount();
  const std::pair<int, const char*> signals[] = {
      {SIGKILL, "SIGKILL"}, {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
  std::map<std::string, int> phases;
  std::map<std::string, int> sent;
  int lost = 0;
  int tempLeft = 0;
  for (int kill = 0; kill < kills; ++kill) {
    reset();
    const auto [signal, name] = signals[static_cast<std::size_t>(kill) % std::size(signals)];
    const long moment = 1 + kill * moments / kills;
    SCOPED_TRACE(std::string(name) + " after call " + std::to_string(moment));
    setenv("VEHICLE_EDITOR_FAULT",
           ("kill:" + std::to_string(moment) + ":" + std::to_string(signal)).c_str(), 1);
    const RunResult result = runProgram(editorCommand(), path(""), root_.string(),
                                        RunOptions{{{"", nullptr, kTargetEdit}}});
    ++sent[name];
    const bool caught = signal != SIGKILL && result.exitStatus == 128 + signal;
    const std::string handling = readFile(path("handling.cfg"));
    const bool hasTemp = exists("temp.cfg");
    // Once the edit is in place, the old file is the backup.
    if (handling == edited && readFile(path("handling.cfg.bak")) != original) {
      ++lost;
      ADD_FAILURE() << "the edit is in place, but handling.cfg.bak is not the old file";
    }
    const std::string temp = hasTemp ? readFile(path("temp.cfg")) : "";
    if (signal != SIGKILL && hasTemp) {
      ++tempLeft;
      ADD_FAILURE() << name << " left temp.cfg behind";
    }
    if (signal == SIGKILL) {
      EXPECT_EQ(result.signal, SIGKILL);
    } else if (!caught) {
      // A request to stop that comes while the file is put in place waits for the end of the run.
      EXPECT_EQ(result.exitStatus, 0);
      EXPECT_EQ(handling, edited);
      ++phases["held until the edit was in place"];
      continue;
    }
    if (caught && handling == original) {
      ++phases["stopped cleanly"];
    } else if (handling == edited && !hasTemp) {
      ++phases["after replacing"];
    } else if (handling == edited && hasTemp && temp == original) {
      // The names swapped, the old file not yet removed: the next run removes it.
      ++phases["in place, old file not yet removed"];
    } else if (handling == original && temp.empty()) {
      ++phases["before writing"];
    } else if (handling == original && temp == edited) {
      ++phases["written, not yet in place"];
    } else if (handling == original && edited.compare(0, temp.size(), temp) == 0) {
      ++phases["while writing"];
    } else {
      ++lost;
      ADD_FAILURE() << "handling.cfg is neither the original nor the edited file";
    }
  }
  unsetenv("VEHICLE_EDITOR_FAULT");
  unsetenv("LD_PRELOAD");
  std::ostringstream figures;
  figures << "Kills: " << kills << " on a " << original.size() / (1 << 20)
          << " MiB file, at moments spread over the " << moments << " calls of a whole run:";
  for (const auto& [name, count] : sent)
    figures << " " << name << " " << count << ";";
  figures << "\n ";
  for (const auto& [phase, count] : phases)
    figures << " " << phase << " " << count << ";";
  figures << "\n  files lost: " << lost
          << "; temp.cfg left by SIGINT, SIGTERM or SIGHUP: " << tempLeft << ".";
  report("kills", figures.str());
}

// The same signals during undo, which swaps handling.cfg and handling.cfg.bak: at every moment
// each of the two files is whole under one of the two names, and a request to stop that comes
// once the swap has begun waits for its end.
TEST_F(EditorTest, KilledDuringUndo) {
  SKIP_UNDER_WINE("the kills are sent to the Linux build");
  const std::string original = bigFile(1 << 20);
  const std::string edited = editedBigFile(original);
  const auto reset = [&] {
    fs::remove(path("temp.cfg"));
    writeFile(path("handling.cfg"), edited);
    writeFile(path("handling.cfg.bak"), original);
  };
  std::vector<std::string> undo = editorCommand();
  undo.push_back("undo");
  setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  reset();
  const std::string log = (root_ / "calls.log").string();
  setenv("VEHICLE_EDITOR_FAULT", ("log:" + log).c_str(), 1);
  ASSERT_EQ(runProgram(undo, path(""), root_.string(), RunOptions{}).exitStatus, 0);
  ASSERT_EQ(readFile(path("handling.cfg")), original);
  std::ifstream calls(log);
  const auto moments = std::count(std::istreambuf_iterator<char>(calls), {}, '\n');
  ASSERT_GT(moments, 10);
  const int signals[] = {SIGKILL, SIGINT, SIGTERM, SIGHUP};
  int swapped = 0;
  for (long moment = 1; moment <= moments; ++moment) {
    reset();
    const int signal = signals[static_cast<std::size_t>(moment) % std::size(signals)];
    SCOPED_TRACE("signal " + std::to_string(signal) + " after call " + std::to_string(moment));
    setenv("VEHICLE_EDITOR_FAULT",
           ("kill:" + std::to_string(moment) + ":" + std::to_string(signal)).c_str(), 1);
    const RunResult result = runProgram(undo, path(""), root_.string(), RunOptions{});
    const std::string handling = readFile(path("handling.cfg"));
    const std::string backup = readFile(path("handling.cfg.bak"));
    if (handling == original) {
      ++swapped;
      EXPECT_EQ(backup, edited);
      // Only a kill that cannot be held ends the run after the swap.
      EXPECT_TRUE(signal == SIGKILL || result.exitStatus == 0);
    } else {
      EXPECT_EQ(handling, edited);
      EXPECT_EQ(backup, original);
      EXPECT_TRUE(signal == SIGKILL || result.exitStatus == 128 + signal) << result.exitStatus;
    }
    EXPECT_TRUE(signal == SIGKILL || !exists("temp.cfg"));
  }
  unsetenv("VEHICLE_EDITOR_FAULT");
  unsetenv("LD_PRELOAD");
  EXPECT_GT(swapped, 0);
  report("undo-kills", "Kills during undo: one at each of the " + std::to_string(moments) +
                           " calls of a whole undo; both files whole after each.");
}

// A full file system: the game folder is a tmpfs too small for a second copy of the file.
TEST_F(EditorTest, FullFileSystem) {
  SKIP_UNDER_WINE("the full file system is a tmpfs mounted for the Linux build");
  const std::string game = path("");
  if (mount("tmpfs", game.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                 << "); the file size limits of WriteFailureKeepsTheHandlingFile stand in";
  }
  struct Unmount {
    std::string at;
    ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
  } unmount{game};
  const std::string original = bigFile(160 * 1024);
  writeFile(path("handling.cfg"), original);
  expectNothingChanged(run(kTargetEdit),
                       "vehicle-editor: could not write temp.cfg: No space left on device; "
                       "handling.cfg was not changed.\n",
                       original);
}

// Faults that nothing outside can cause on demand, injected by a preloaded library.
TEST_F(EditorTest, InjectedFaults) {
  SKIP_UNDER_WINE("the faults are injected into the Linux build");
  const std::string edited = fileWithLine(3, kInfernusBrakes);
  const auto leaveTempFile = [this] { writeFile(path("temp.cfg"), "left over\r\n"); };
  const auto takeEveryKeptName = [this] {
    writeFile(path("handling.cfg.new"), "");
    for (int number = 2; number <= 999; ++number)
      writeFile(path("handling.cfg.new." + std::to_string(number)), "");
  };
  Limits cpuLimit;
  cpuLimit.cpuSeconds = 1;
  const struct {
    const char* fault;
    int exitStatus;
    std::string err;
    bool editKept;
    std::function<void()> prepare = nullptr;
    Limits limits = {};
    std::string after = "";  // empty: handling.cfg keeps its bytes
    bool tempLeft = false;
    std::vector<std::string> arguments = {};  // a command instead of the menus' edit
  } cases[] = {
      {"fsync", 1,
       "vehicle-editor: could not write temp.cfg: Input/output error; handling.cfg was not "
       "changed.\n",
       false},
      {"close", 1,
       "vehicle-editor: could not write temp.cfg: Input/output error; handling.cfg was not "
       "changed.\n",
       false},
      {"rename", 1,
       "\nError deleting config.cfg: Input/output error\nvehicle-editor: handling.cfg was not "
       "changed: Input/output error; the edited file was kept as handling.cfg.new.\n",
       true},
      // The lookup's read, its read on to the end of the file, the copy's first read, and the
      // read that would find the end.
      {"read:1", 1,
       "vehicle-editor: could not read handling.cfg: Input/output error; handling.cfg was not "
       "changed.\n",
       false},
      {"read:2", 1,
       "vehicle-editor: could not read handling.cfg: Input/output error; handling.cfg was not "
       "changed.\n",
       false},
      {"read:3", 1,
       "vehicle-editor: could not write temp.cfg: could not read handling.cfg: Input/output "
       "error; handling.cfg was not changed.\n",
       false},
      {"read:4", 1,
       "vehicle-editor: could not write temp.cfg: could not read handling.cfg: Input/output "
       "error; handling.cfg was not changed.\n",
       false},
      // No backup can be kept: the edit goes in place all the same.
      {"rename-backup",
       0,
       "vehicle-editor: no backup of the old file was kept, since handling.cfg.bak could not be "
       "made (Input/output error).\n",
       false,
       nullptr,
       {},
       edited},
      // Locks as over NFS, with a temp.cfg left behind by an earlier run: no false refusal.
      {"flock:nfs", 0, "", false, leaveTempFile, {}, edited},
      {"flock:none", 0, "", false, leaveTempFile, {}, edited},
      {"flock:none", 0, "", false, nullptr, {}, edited},
      // The CPU time limit strikes while temp.cfg is forced to disk.
      {"spin", 152,
       "vehicle-editor: stopped by SIGXCPU (the CPU time limit);\nhandling.cfg was not changed.\n",
       false, nullptr, cpuLimit},
      {"rename",
       1,
       waitingEdits("handling.cfg.new, handling.cfg.new.2, handling.cfg.new.3 and 996 more",
                    false) +
           "\nError deleting config.cfg: Input/output error\nvehicle-editor: handling.cfg was not "
           "changed: Input/output error; the edited file is in temp.cfg, which could not be "
           "renamed "
           "(every name up to handling.cfg.new.999 is taken): move it elsewhere before the editor "
           "runs again.\n",
       false,
       takeEveryKeptName,
       {},
       "",
       true},
      // The commands that only look, and a dry run, when handling.cfg cannot be read.
      {"read:1",
       1,
       "vehicle-editor: could not read handling.cfg: Input/output error.\n",
       false,
       nullptr,
       {},
       "",
       false,
       {"list"}},
      {"read:1",
       1,
       "vehicle-editor: could not read handling.cfg: Input/output error.\n",
       false,
       nullptr,
       {},
       "",
       false,
       {"show", "INFERNUS"}},
      {"read:1",
       1,
       "vehicle-editor: could not read handling.cfg: Input/output error.\n",
       false,
       nullptr,
       {},
       "",
       false,
       {"set", "--dry-run", "INFERNUS", "B=1"}},
  };
  setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  int injected = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(path("temp.cfg"));
    fs::remove(path("handling.cfg.new"));
    if (c.prepare) c.prepare();
    setenv("VEHICLE_EDITOR_FAULT", c.fault, 1);
    RunOptions options{{{"", nullptr, c.arguments.empty() ? "1 INFERNUS R 2.5 0 0\n" : ""}}};
    options.limits = c.limits;
    std::vector<std::string> command = editorCommand();
    command.insert(command.end(), c.arguments.begin(), c.arguments.end());
    const RunResult result = run(command, options);
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(readFile(path("handling.cfg")), c.after.empty() ? originalFile() : c.after);
    EXPECT_EQ(exists("temp.cfg"), c.tempLeft);
    // A backup made for an edit that did not go in place is no second name of handling.cfg.
    struct stat info {};
    stat(path("handling.cfg").c_str(), &info);
    EXPECT_EQ(info.st_nlink, 1u);
    if (!c.prepare) {
      EXPECT_EQ(exists("handling.cfg.new"), c.editKept);
    }
    ++injected;
  }
  unsetenv("VEHICLE_EDITOR_FAULT");
  unsetenv("LD_PRELOAD");
  report("faults", "Faults injected: " + std::to_string(injected) +
                       " (fsync, close, rename, reads of handling.cfg at four points, locks "
                       "as over NFS, the CPU time limit); files lost: 0.");
}

// Another program at the last instants of a run, and file systems without a name exchange, hard
// links or a change time of their own (exFAT), through the preloaded library: the edit is put in
// place only when it is the very file this run wrote, over the very file it read.
TEST_F(EditorTest, InjectedFaultsAtTheEnd) {
  SKIP_UNDER_WINE("the faults are injected into the Linux build");
  const std::string theirs = "RUMPO 1 2 3\r\n";
  const std::string edited = fileWithLine(3, kInfernusBrakes);
  const std::string earlierKept = "an earlier kept edit\r\n";
  // The RUMPO and INFERNUS lines swapped: the same size, and set back to the same time.
  std::string swapped = originalFile();
  const std::size_t rumpo = swapped.find("RUMPO ");
  const std::size_t infernus = swapped.find("INFERNUS\t");
  const std::size_t end = swapped.find("\r\n", infernus);
  swapped = swapped.substr(0, rumpo) + swapped.substr(infernus, end - infernus) + "\r\n" +
            swapped.substr(rumpo, infernus - 2 - rumpo) + swapped.substr(end);
  const auto notWritten = [](const std::string& why) {
    return "vehicle-editor: could not write temp.cfg: " + why + "; handling.cfg was not changed.\n";
  };
  const std::string keptAs =
      "vehicle-editor: another program changed handling.cfg during the editing, so it was not "
      "replaced; the edited file was kept as ";
  const auto tookPlace = [](const std::string& what, const std::string& edit) {
    return "vehicle-editor: another program " + what +
           " the moment the edited file took its place" + edit +
           "; handling.cfg was left as that program made it.\n"
           "vehicle-editor: the old handling.cfg was kept as handling.cfg.old.\n";
  };
  const struct {
    const char* fault;
    std::function<void(const std::string& handling)> atFinalMenu;
    std::string after;
    std::string err;
    int exitStatus;
    std::string temp;      // what temp.cfg holds afterwards; empty: there is none
    std::string kept;      // the name the edit was kept under, or empty
    bool oldKept = false;  // the old file was kept as handling.cfg.old
  } cases[] = {
      {"rewrite-temp", nullptr, originalFile(),
       notWritten("another program wrote to it during the editing"), 1, "", ""},
      {"foreign-temp", nullptr, originalFile(),
       "vehicle-editor: another program replaced or removed temp.cfg during the editing, and "
       "the edit with it; handling.cfg was not changed.\n",
       1, "FOREIGN 1 2 3\r\n", ""},
      {"append-temp", nullptr, originalFile(),
       notWritten("another program wrote to it during the editing"), 1, "", ""},
      {"new-handling", nullptr, theirs, keptAs + "handling.cfg.new.\n", 1, "", "handling.cfg.new"},
      // Right after the exchange: what the other program made of handling.cfg stays, and the old
      // file is kept; the names are never swapped back over it.
      {"exchanged:mv", nullptr, theirs,
       tookPlace("saved its own handling.cfg", ", and the edit was lost"), 1, "", "", true},
      {"exchanged:append", nullptr, edited + "ANOTHER 1 2 3\r\n",
       tookPlace("wrote to handling.cfg", ""), 1, "", "", true},
      {"exchanged:rm", nullptr, "", tookPlace("removed handling.cfg", ", and the edit with it"), 1,
       "", "", true},
      // Without the exchange: the plain rename.
      {"no-links", nullptr, edited, "", 0, "", ""},
      // Without hard links: an earlier kept edit stays, this one takes the next name.
      {"no-links",
       [&](const std::string& handling) {
         writeFile(handling + ".new", earlierKept);
         writeFile(handling + ".tmp", theirs);
         fs::rename(handling + ".tmp", handling);
       },
       theirs, keptAs + "handling.cfg.new.2.\n", 1, "", "handling.cfg.new.2"},
      {"no-ctime",
       [&](const std::string& handling) {
         const auto written = fs::last_write_time(handling);
         writeFile(handling, swapped);
         fs::last_write_time(handling, written);
       },
       swapped, notWritten("another program changed handling.cfg during the editing"), 1, "", ""},
  };
  setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    for (const char* name :
         {"handling.cfg.new", "handling.cfg.new.2", "handling.cfg.old", "temp.cfg"})
      fs::remove(path(name));
    writeFile(path("handling.cfg"), originalFile());
    setenv("VEHICLE_EDITOR_FAULT", c.fault, 1);
    const RunResult result = run(RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0\n"},
                                             {kFinalMenu + kChoice,
                                              [&] {
                                                if (c.atFinalMenu)
                                                  c.atFinalMenu(path("handling.cfg"));
                                              },
                                              "0\n"}}});
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(exists("handling.cfg"), !c.after.empty());
    EXPECT_EQ(readFile(path("handling.cfg")), c.after);
    EXPECT_EQ(exists("temp.cfg"), !c.temp.empty());
    EXPECT_EQ(exists("handling.cfg.old"), c.oldKept);
    if (c.oldKept) {
      EXPECT_EQ(readFile(path("handling.cfg.old")), originalFile());
    }
    if (!c.temp.empty()) {
      EXPECT_EQ(readFile(path("temp.cfg")), c.temp);
    }
    if (!c.kept.empty()) {
      EXPECT_EQ(readFile(path(c.kept)), edited);
    }
    if (c.kept == "handling.cfg.new.2") {
      EXPECT_EQ(readFile(path("handling.cfg.new")), earlierKept);
    }
  }
  unsetenv("VEHICLE_EDITOR_FAULT");
  unsetenv("LD_PRELOAD");
}

// A request to stop, or another program's write, at the exact moment the editor is most
// exposed to it, made to come then by the preloaded library.
TEST_F(EditorTest, AtTheWorstMoment) {
  SKIP_UNDER_WINE("the moments are found by a library preloaded into the Linux build");
  const struct {
    const char* fault;
    int exitStatus;
    std::string err;
    std::string after;
    std::string outTail;
  } cases[] = {
      // The request waits until the handler knows which temp.cfg to remove.
      {"stop-at-temp", 130, "vehicle-editor: stopped by SIGINT; handling.cfg was not changed.\n",
       originalFile(), "\n"},
      // Saved as UTF-16 by another program between the first look and the lock: refused, and
      // the run's temp.cfg removed.
      {"utf16-at-temp", 1,
       "vehicle-editor: handling.cfg is UTF-16 (\"Unicode\"); save it as ANSI or UTF-8.\n",
       std::string("\xFF\xFER\0", 4), ""},
      // The request waits: the file is in place, and the run says so.
      {"stop-at-rename", 0, "", fileWithLine(3, kInfernusBrakes), kDone},
      {"grow-temp", 1,
       "vehicle-editor: could not write temp.cfg: another program wrote to it during the "
       "editing; handling.cfg was not changed.\n",
       originalFile(), ""},
      // Reading the answers fails: said in its own words, not taken for their end.
      {"input-eio", 1,
       "vehicle-editor: could not read the input: Input/output error; handling.cfg was not "
       "changed.\n",
       originalFile(), "\n"},
      // Appended after the copy's first read, or after its last: what it copied is not the file
      // there now.
      {"append:3", 1,
       "vehicle-editor: could not write temp.cfg: another program changed handling.cfg during "
       "the editing; handling.cfg was not changed.\n",
       originalFile() + "ANOTHER 1 2 3\r\n", ""},
      {"append:4", 1,
       "vehicle-editor: could not write temp.cfg: another program changed handling.cfg during "
       "the editing; handling.cfg was not changed.\n",
       originalFile() + "ANOTHER 1 2 3\r\n", ""},
  };
  setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    writeFile(path("handling.cfg"), originalFile());
    setenv("VEHICLE_EDITOR_FAULT", c.fault, 1);
    const RunResult result = run("1 INFERNUS R 2.5 0 0\n");
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(result.out.substr(result.out.size() - std::min(result.out.size(), c.outTail.size())),
              c.outTail);
    EXPECT_EQ(readFile(path("handling.cfg")), c.after);
    EXPECT_FALSE(exists("temp.cfg"));
    EXPECT_FALSE(exists("handling.cfg.new"));
  }
  unsetenv("VEHICLE_EDITOR_FAULT");
  unsetenv("LD_PRELOAD");
}

TEST_F(EditorTest, HostileDirectoryStates) {
  std::string folder = path("");
  folder.pop_back();
  const std::string notOpened = "vehicle-editor: could not open handling.cfg in " + folder + ": ";
  const bool canDropRights = geteuid() == 0 && access("/usr/bin/setpriv", X_OK) == 0;
  const struct {
    const char* name;
    std::function<void(const std::string& handling)> prepare;
    const char* input;
    std::string out;
    std::string err;  // on Linux; not checked when empty
    bool asNobody = false;
  } cases[] = {
      {"empty handling.cfg", [](const std::string& handling) { writeFile(handling, ""); },
       "1 RUMPO", kBanner + kMainMenu + kChoice + kAskManual + kVehicle + kVehicle + "\n", ""},
      {"handling.cfg is a folder",
       [](const std::string& handling) {
         fs::remove(handling);
         fs::create_directory(handling);
       },
       "0", "Couldn't open the file handling.cfg.\n", notOpened + "it is not a file.\n"},
      // A game folder copied with sudo: the file is there, and the user is told why it cannot
      // be read, not sent to look for it elsewhere.
      {"handling.cfg readable by its owner alone, root",
       [](const std::string& handling) { chmod(handling.c_str(), 0600); }, "0",
       "Couldn't open the file handling.cfg.\n", notOpened + "Permission denied.\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.asNobody && (underWine() || !canDropRights)) continue;
    fs::remove_all(path("handling.cfg"));
    fs::remove(path("temp.cfg"));
    writeFile(path("handling.cfg"), originalFile());
    c.prepare(path("handling.cfg"));
    if (c.asNobody) openFoldersToNobody(fs::perms::all);
    const std::string before =
        fs::is_regular_file(path("handling.cfg")) ? readFile(path("handling.cfg")) : "";
    const RunResult result =
        c.asNobody ? run(asNobody(editorCommand()), RunOptions{{{"", nullptr, c.input}}})
                   : run(c.input);
    EXPECT_EQ(result.out, c.out);
    if (!c.err.empty() && !underWine()) {
      EXPECT_EQ(result.err, reported(c.err));
    }
    EXPECT_EQ(result.exitStatus, 1);
    if (fs::is_regular_file(path("handling.cfg"))) {
      EXPECT_EQ(readFile(path("handling.cfg")), before);
    }
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

// Lines no real handling file has: every one comes back byte for byte, CR LF after each, and
// only the chosen one becomes the record line, followed by whatever it held after its 33rd field.
TEST_F(EditorTest, HostileFileContents) {
  std::string many = "MANY";
  for (int field = 1; field <= 100000; ++field)
    many += " f" + std::to_string(field);
  const std::string manyTail = many.substr(many.find(" f33 "));
  std::string longLine = "LONG";
  while (longLine.size() < 10 * 1000 * 1000)
    longLine += " x";
  const std::vector<std::string> lines = {
      "; marker ZZTARGET",
      "",
      longLine,
      many,
      std::string("BYTES\0\x80\xff\xfe value", 15),
      "CR\rinside\rthe line 1 2",
      "   ",
      targetLine(),
      targetLine("EXTRAS") + kExtrasTail,
      std::string(10 * 1000 * 1000, 'A'),
      "$only a marker",
      "the last line, without a line end",
  };
  std::string file;
  for (const std::string& line : lines)
    file += line + "\n";
  file.pop_back();
  // A CR alone ends a line too, and comes back as CR LF like every line end.
  const auto edited = [&](std::size_t number, const std::string& line) {
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      for (const char c : i == number ? line : lines[i])
        bytes += c == '\r' ? std::string("\r\n") : std::string(1, c);
      bytes += "\r\n";
    }
    return bytes;
  };
  const std::string twentyXs = "x x x x x x x x x x x x x x x x x x x x";
  // A name of 1 MB that the 10 MB line of As repeats all but its last byte of, at every byte: a
  // plain search compares up to the whole name there, for hours; a linear one takes
  // milliseconds. The CPU time limit lies a thousandfold between the two.
  const std::string nearMatch = std::string(1000 * 1000, 'A') + "B";
  const struct {
    const char* name;
    std::string input;
    std::string after;
    long cpuSeconds = 0;
    std::string err = "";
  } cases[] = {
      {"an ordinary line among them", kTargetEdit, edited(7, kEditedTarget)},
      {"a 1 MB name that a 10 MB line almost holds", "1 " + nearMatch + " LONG B 1 0 0",
       edited(2, written("LONG", "1 x x x x x x x x", twentyXs, "x", "x x") +
                     longLine.substr(std::strlen("LONG") + 32 * 2)),
       20},
      {"the line of 100,000 fields", "1 MANY B 9 0 0",
       edited(3, written("MANY", "9 f2 f3 f4 f5 f6 f7 f8 f9",
                         "f10 f11 f12 f13 f14 f15 f16 f17 f18 f19 f20 f21 f22 f23 f24 f25 f26 "
                         "f27 f28 f29",
                         "f30", "f31 f32") +
                     manyTail)},
      {"the 10 MB line", "1 LONG B 1 0 0",
       edited(2, written("LONG", "1 x x x x x x x x", twentyXs, "x", "x x") +
                     longLine.substr(std::strlen("LONG") + 32 * 2))},
      {"two extra columns and a comment, by hand", "1 EXTRAS B 9.5 0 0",
       edited(8, editedTarget("EXTRAS") + kExtrasTail)},
      {"two extra columns and a comment, by a preset", "4 EXTRAS 0",
       edited(8, written("EXTRAS", "1 2 3 4 5 6 7 8 9",
                         "10 11 12 13 14 15 16 17 18 19 20 21 22 23 0.09 25 26 27 28 29", "30",
                         "31 32") +
                     kExtrasTail)},
      {"bytes 0x80 to 0xFF and NUL, typed and read", "1 \x80\xff C \xe9t\xe9\xff 0 0",
       edited(4,
              written(std::string("BYTES\0\x80\xff\xfe", 9),
                      "value \xe9t\xe9\xff" + std::string(7, ' '), std::string(19, ' '), "", " ")),
       0,
       reported(std::string("vehicle-editor: note: \"\x80\xff\" was found inside line 5, the line "
                            "of BYTES\0\x80\xff\xfe.\n",
                            75) +
                "vehicle-editor: note: \"\xe9t\xe9\xff\" does not fit Dimensions.x, which takes a "
                "decimal number with a dot, such as 2.5; it is stored as typed.\n")},
      // A CR alone ends a line: only the line after it is the one named.
      {"a line after a CR alone", "1 inside B 9 0 0",
       [&] {
         std::string after = edited(99, "");
         const std::string inside = "\r\ninside\r\n";
         return after.replace(
             after.find(inside), inside.size(),
             "\r\n" + written("inside", "9" + std::string(8, ' '), std::string(19, ' '), "", " ") +
                 "\r\n");
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(path("handling.cfg"), file);
    RunOptions options{{{"", nullptr, c.input}}};
    if (!underWine()) options.limits.cpuSeconds = c.cpuSeconds;
    const RunResult result = run(options);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, c.err);
    EXPECT_TRUE(readFile(path("handling.cfg")) == c.after) << "handling.cfg differs";
  }
}

// What surrounds the process: standard streams it was started without, a reader of its output
// that has gone, requests to stop at a prompt. None changes handling.cfg or leaves temp.cfg.
TEST_F(EditorTest, HostileSurroundings) {
  const auto startedWithout = [](std::vector<int> closed) {
    RunOptions options{{{"", nullptr, ""}}};
    options.limits.closed = std::move(closed);
    return options;
  };
  RunOptions readerGone{{{"", nullptr, "1 INFERNUS R 2.5 0 0\n"}}};
  readerGone.limits.outputReaderGone = true;
  RunOptions intoHandling{{{"", nullptr, "1 INFERNUS R 2.5 0 0\n"}}};
  intoHandling.limits.appendOutputTo = path("handling.cfg");
  RunOptions outputIntoHandling = intoHandling;
  outputIntoHandling.limits.appended = 1;
  RunOptions errorsIntoHandling = intoHandling;
  errorsIntoHandling.limits.appended = 2;
  const std::string intoHandlingRefused =
      "vehicle-editor: standard output or standard error goes into handling.cfg; handling.cfg "
      "was not changed.\n";
  const auto stopAtValue = [](int signal) {
    return RunOptions{{{"", nullptr, "1 INFERNUS\n"}, {kValue, nullptr, "", signal}}};
  };
  // The answers come only once the editor waits at its prompts, through a descriptor in
  // non-blocking mode.
  RunOptions notReadyYet{{{kChoice, nullptr, "1 INFERNUS\n"}, {kValue, nullptr, "R 2.5 0 0\n"}}};
  notReadyYet.limits.nonBlockingInput = true;
  const auto stopped = [](const std::string& by) {
    return "vehicle-editor: stopped by " + by + "; handling.cfg was not changed.\n";
  };
  const struct {
    const char* name;
    bool underWine;
    RunOptions options;
    std::string outTail;
    std::string err;
    int exitStatus;
    std::string after;
  } cases[] = {
      {"started without standard input", false, startedWithout({0}), kChoice + "\n", kInputEnded, 1,
       originalFile()},
      {"started without standard input and output", false, startedWithout({0, 1}), "", kInputEnded,
       1, originalFile()},
      {"output read by a program that has quit", false, readerGone, "", "", 0,
       fileWithLine(3, kInfernusBrakes)},
      {"standard input in non-blocking mode", false, notReadyYet, kDone, "", 0,
       fileWithLine(3, kInfernusBrakes)},
      {"output and errors appended to handling.cfg", false, intoHandling, "", "", 1,
       originalFile()},
      {"output alone appended to handling.cfg", false, outputIntoHandling, "", intoHandlingRefused,
       1, originalFile()},
      {"errors alone appended to handling.cfg", false, errorsIntoHandling, intoHandlingRefused, "",
       1, originalFile()},
      {"Ctrl-C at a prompt", true, stopAtValue(SIGINT), kValue + "\n",
       stopped(underWine() ? "Ctrl-C" : "SIGINT"), 130, originalFile()},
      {"the terminal closed at a prompt", false, stopAtValue(SIGHUP), kValue + "\n",
       stopped("SIGHUP"), 129, originalFile()},
      {"Ctrl-\\ at a prompt", false, stopAtValue(SIGQUIT), kValue + "\n", stopped("SIGQUIT"), 131,
       originalFile()},
      {"SIGTERM at a prompt", false, stopAtValue(SIGTERM), kValue + "\n", stopped("SIGTERM"), 143,
       originalFile()},
  };
  for (const auto& c : cases) {
    if (underWine() && !c.underWine) continue;
    SCOPED_TRACE(c.name);
    writeFile(path("handling.cfg"), originalFile());
    const RunResult result = run(c.options);
    const std::string outTail = reported(c.outTail);
    EXPECT_EQ(result.out.substr(result.out.size() - std::min(result.out.size(), outTail.size())),
              outTail);
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(readFile(path("handling.cfg")), c.after);
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

// A stream of input without whitespace: the answer's length is bounded, and so is the memory.
TEST_F(EditorTest, AnAnswerThatNeverEnds) {
  SKIP_UNDER_WINE("the memory limit is a POSIX resource limit");
  const std::string refused =
      "vehicle-editor: an answer was longer than 4194304 bytes; handling.cfg was not changed.\n";
  RunOptions options{{{"", nullptr, "1 " + std::string(64 << 20, 'W')}}};
#if defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer reserves far more address space than the editor uses.
  expectNothingChanged(run(options), refused, originalFile());
#else
  // The smallest of these limits on all the memory the editor may map that it still keeps.
  long smallest = 0;
  for (const long mebibytes : {100, 64, 48, 32, 24, 16}) {
    SCOPED_TRACE(mebibytes);
    options.limits.memoryLimit = mebibytes << 20;
    const RunResult result = runProgram(editorCommand(), path(""), root_.string(), options);
    if (mebibytes == 100) expectNothingChanged(result, refused, originalFile());
    if (result.err == reported(refused)) smallest = mebibytes;
  }
  report("endless",
         "An answer that never ends: 64 MiB without a blank, refused at 4 MiB; it ran "
         "within " +
             std::to_string(smallest) + " MiB of address space.");
#endif
}

// A line of handling.cfg longer than the memory the editor may have: it stops, and says why.
TEST_F(EditorTest, ALineLargerThanTheMemory) {
  SKIP_UNDER_WINE("the memory limit is a POSIX resource limit");
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves far more address space than the limit";
#endif
  const std::string huge = "HUGE " + std::string(64 << 20, 'x');
  writeFile(path("handling.cfg"), huge);
  RunOptions options{{{"", nullptr, "1 HUGE B 1 0 0\n"}}};
  options.limits.memoryLimit = 48 << 20;
  expectNothingChanged(run(options),
                       "vehicle-editor: there was not enough memory to hold a line of "
                       "handling.cfg; handling.cfg was not changed.\n",
                       huge);

  // Limits from barely enough to load the program upwards, in fine steps where the program
  // barely loads (where the C++ library may lack its reserve for exceptions): every run that
  // starts either does its edit or says why not, and never leaves temp.cfg behind.
  const std::string edited = fileWithLine(3, kInfernusBrakes);
  int started = 0;
  for (long kib = 2048; kib <= 24 * 1024; kib += kib >= 4096 && kib < 8192 ? 16 : 256) {
    SCOPED_TRACE(kib);
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(path("temp.cfg"));
    RunOptions tight{{{"", nullptr, "1 INFERNUS R 2.5 0 0\n"}}};
    tight.limits.memoryLimit = kib << 10;
    const RunResult result = runProgram(editorCommand(), path(""), root_.string(), tight);
    EXPECT_FALSE(exists("temp.cfg"));
    const std::string after = readFile(path("handling.cfg"));
    EXPECT_TRUE(after == originalFile() || after == edited);
    // Too little to load the program, or the C++ library: the loader says so, and it never ran.
    if (result.signal == 0 && result.exitStatus == 127) continue;
    ++started;
    EXPECT_EQ(result.signal, 0);
    if (result.exitStatus != 0) {
      EXPECT_EQ(result.exitStatus, 1);
      EXPECT_EQ(result.err.rfind("vehicle-editor: there was not enough memory", 0), 0u)
          << result.err;
    }
  }
  EXPECT_GT(started, 0);

  // set --dry-run with 32 values of 53,000 bytes (1.7 MB of arguments): it shows the changes,
  // or says that memory ran out for the command line or for the command, never for a line of
  // handling.cfg, whose lines are short.
  std::vector<std::string> dryRun = editorCommand();
  // --force: no column's kind takes 53,000 sevens; here only the memory counts.
  dryRun.insert(dryRun.end(), {"set", "--dry-run", "--force", "INFERNUS"});
  for (const char* code :
       {"B", "C", "D", "E", "F", "G", "H", "I", "J", "K",  "L",  "M",  "N",  "O",  "P",  "Q",
        "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "aa", "ab", "ac", "ad", "ae", "af", "ag"})
    dryRun.push_back(code + ("=" + std::string(53000, '7')));
  const auto noMemoryTo = [](const std::string& what) {
    return "vehicle-editor: there was not enough memory to " + what +
           "; handling.cfg was not changed.\n";
  };
  int shown = 0;
  for (long kib = 6 * 1024; kib <= 36 * 1024; kib += 256) {
    SCOPED_TRACE(kib);
    writeFile(path("handling.cfg"), originalFile());
    RunOptions tight{{{"", nullptr, ""}}};
    tight.limits.memoryLimit = kib << 10;
    const RunResult result = runProgram(dryRun, path(""), root_.string(), tight);
    if (result.signal == 0 && result.exitStatus == 127) continue;
    EXPECT_EQ(result.signal, 0);
    EXPECT_FALSE(exists("temp.cfg"));
    EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
    if (result.exitStatus == 0) {
      ++shown;
    } else {
      EXPECT_EQ(result.exitStatus, 1);
      EXPECT_TRUE(result.err == noMemoryTo("read the command line") ||
                  result.err == noMemoryTo("carry out the command"))
          << result.err;
    }
  }
  EXPECT_GT(shown, 0);
}

TEST_F(EditorTest, HostileConsoleInput) {
  const auto withBrakes = [](const std::string& value) {
    return fileWithLine(3, written("INFERNUS", "1100.0 2.0 4.4 1.2 0.0 0.0 -0.3 70 0.9",
                                   "0.8 0.5 5 220.0 30.0 4 P " + value +
                                       " 0.5 1 35.0 1.5 0.1 0.3 0.2 95000 0.3 -0.2 0.5 0.4",
                                   "2003", "2 0"));
  };
  const std::string megabyte(1 << 20, 'W');
  // A 1 MB word as a vehicle name matches nothing; as a value it is stored whole.
  const RunResult result = run("1 " + megabyte + " INFERNUS R " + megabyte + " 0 0");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), withBrakes(megabyte));

  // An answer of exactly the limit is taken whole; one byte more is refused.
  const std::string limit(4 << 20, 'L');
  writeFile(path("handling.cfg"), originalFile());
  EXPECT_EQ(run("1 INFERNUS R " + limit + " 0 0").exitStatus, 0);
  EXPECT_TRUE(readFile(path("handling.cfg")) == withBrakes(limit));
  writeFile(path("handling.cfg"), originalFile());
  expectNothingChanged(
      run("1 INFERNUS R " + limit + "L 0 0"),
      "vehicle-editor: an answer was longer than 4194304 bytes; handling.cfg was not changed.\n",
      originalFile());
}

// A million refused answers: the editor answers each with the prompt and its memory does not
// grow with their number.
TEST_F(EditorTest, AMillionInvalidAnswers) {
  SKIP_UNDER_WINE("a million prompts through Wine's console take over a minute");
  // The editor's peak memory once it has refused `count` answers and shown the credits.
  const auto peakAfter = [&](int count, double* seconds) {
    std::string input;
    for (int i = 0; i < count; ++i)
      input += i % 2 ? "nope\n" : "\xff\x80 ";
    const auto start = std::chrono::steady_clock::now();
    ChildProcess child(editorCommand(), path(""), (root_ / "stdout").string(),
                       (root_ / "stderr").string());
    child.type(input + "5\n");
    EXPECT_TRUE(child.waitForOutput(kCredits + kMainMenu + kChoice));
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = child.peakMemoryKib();
    child.type("0\n");
    RunResult result;
    child.finish(&result);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out.size(), kBanner.size() + 2 * kMainMenu.size() + kCredits.size() +
                                     static_cast<std::size_t>(count + 2) * kChoice.size() + 1);
    return peak;
  };
  double seconds = 0;
  const long few = peakAfter(10, &seconds);
  const long many = peakAfter(1000000, &seconds);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
#if defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer keeps freed memory in quarantine, so the peak says nothing here.
#else
  EXPECT_LT(many - few, 1024) << "peak memory grew with the number of answers";
#endif
  std::ostringstream figures;
  figures << "A million invalid answers: answered in " << static_cast<int>(seconds * 1000)
          << " ms; peak memory " << many << " KiB, against " << few << " KiB after ten.";
  report("answers", figures.str());
}

// An edit by a command that fails on the way, or is stopped, tells of no change on standard
// output: one report on standard error says what was not done.
TEST_F(EditorTest, CommandEditsThatFailPrintNoChange) {
  SKIP_UNDER_WINE("faults are injected into POSIX system calls");
  const struct {
    const char* fault;
    std::string err;
    int exitStatus;
  } cases[] = {
      {"fsync",
       "vehicle-editor: could not write temp.cfg: Input/output error; handling.cfg was not "
       "changed.\n",
       1},
      {"rename",
       "vehicle-editor: handling.cfg was not changed: Input/output error; the edited file was "
       "kept as handling.cfg.new.\n",
       1},
      {"stop-at-temp", "vehicle-editor: stopped by SIGINT; handling.cfg was not changed.\n", 130},
  };
  setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
  setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(path("handling.cfg.new"));
    setenv("VEHICLE_EDITOR_FAULT", c.fault, 1);
    std::vector<std::string> command = editorCommand();
    command.insert(command.end(), {"set", "INFERNUS", "R=2.5"});
    const RunResult result = run(command, RunOptions{{{"", nullptr, ""}}});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
    EXPECT_FALSE(exists("temp.cfg"));
  }
  unsetenv("VEHICLE_EDITOR_FAULT");
  unsetenv("LD_PRELOAD");
}

// A handling.cfg saved as UTF-16 ("Unicode" in Notepad): every run and every command refuses it
// in one line before anything is touched, the read-only mode of the file included; check reports
// it as its finding.
TEST_F(EditorTest, FilesThatAreNotEightBitText) {
  const std::string refused =
      "vehicle-editor: handling.cfg is UTF-16 (\"Unicode\"); save it as ANSI or UTF-8.\n";
  std::string dropped = path("handling.cfg");
  if (underWine()) {
    std::replace(dropped.begin(), dropped.end(), '/', '\\');
    dropped = "Z:" + dropped;
  }
  const std::vector<std::vector<std::string>> commands = {
      {},
      {"list"},
      {"show", "RUMPO"},
      {"set", "RUMPO", "B=1"},
      {"set", "--dry-run", "RUMPO", "B=1"},
      {"preset", "rhino", "RUMPO"},
      {"check"},
      {dropped},
  };
  for (const std::string start : {"\xFF\xFE", "\xFE\xFF"}) {
    // "RUMPO 1" with a 0 byte beside every letter, on whichever side.
    std::string file = start;
    for (const char c : std::string("RUMPO 1\r\n"))
      file += start[0] == '\xFF' ? std::string(1, c) + '\0' : '\0' + std::string(1, c);
    for (const auto& arguments : commands) {
      SCOPED_TRACE((arguments.empty() ? "menus" : arguments[0]) + " " + start);
      writeFile(path("handling.cfg"), file);
      chmod(path("handling.cfg").c_str(), 0444);
      // Not even a temp.cfg left by another program is touched.
      writeFile(path("temp.cfg"), "another program's file\r\n");
      std::vector<std::string> command = editorCommand();
      command.insert(command.end(), arguments.begin(), arguments.end());
      const RunResult result = run(command, RunOptions{{{"", nullptr, "2 RUMPO 0\n"}}});
      const bool check = !arguments.empty() && arguments[0] == "check";
      EXPECT_EQ(result.out, check ? "handling.cfg:1: the file is UTF-16 (\"Unicode\"); save it "
                                    "as ANSI or UTF-8\n"
                                  : "");
      EXPECT_EQ(result.err, check ? "" : refused);
      EXPECT_EQ(result.exitStatus, 1);
      EXPECT_EQ(readFile(path("handling.cfg")), file);
      EXPECT_EQ(mode("handling.cfg"), 0444u);
      EXPECT_EQ(readFile(path("temp.cfg")), "another program's file\r\n");
    }
  }
}

// check only reads: it writes nothing into handling.cfg, even when told to, and says why it could
// not look.
TEST_F(EditorTest, CheckOnlyReads) {
  RunOptions intoHandling{{{"", nullptr, ""}}};
  intoHandling.limits.appendOutputTo = path("handling.cfg");
  intoHandling.limits.appended = 1;
  RunOptions errorsIntoHandling = intoHandling;
  errorsIntoHandling.limits.appended = 2;
  // Past a file size limit, as on a full disk: the findings could not all be written.
  RunOptions fileSizeLimit{{{"", nullptr, ""}}};
  fileSizeLimit.limits.fileSizeLimit = 3;
  const std::string refused =
      "vehicle-editor: standard output or standard error goes into handling.cfg; handling.cfg "
      "was not changed.\n";
  std::string folder = path("");
  folder.pop_back();
  const struct {
    const char* name;
    bool underWine;
    RunOptions options;
    std::function<void()> prepare;
    std::string out;
    std::string err;
    int exitStatus;
  } cases[] = {
      {"output appended to handling.cfg", false, intoHandling, nullptr, "", refused, 1},
      {"errors appended to handling.cfg", false, errorsIntoHandling, nullptr, refused, "", 1},
      {"no handling.cfg", false, RunOptions{{{"", nullptr, ""}}},
       [&] { fs::remove(path("handling.cfg")); }, "",
       "vehicle-editor: could not open handling.cfg in " + folder +
           "; start the editor in the folder that holds handling.cfg.\n",
       1},
      {"a file of CRs alone", true, RunOptions{{{"", nullptr, ""}}},
       [&] { writeFile(path("handling.cfg"), "\r\r"); },
       "handling.cfg:1: a CR alone ends this line; the game may not take it for a line end\n"
       "handling.cfg:2: a CR alone ends this line; the game may not take it for a line end\n",
       "", 1},
      {"output that cannot be written", false, fileSizeLimit,
       [&] { writeFile(path("handling.cfg"), "\r\r"); }, "han", "veh", 1},
  };
  for (const auto& c : cases) {
    if (underWine() && !c.underWine) continue;
    SCOPED_TRACE(c.name);
    writeFile(path("handling.cfg"), originalFile());
    if (c.prepare) c.prepare();
    const std::string before = exists("handling.cfg") ? readFile(path("handling.cfg")) : "";
    std::vector<std::string> command = editorCommand();
    command.push_back("check");
    const RunResult result = run(command, c.options);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    if (!before.empty()) {
      EXPECT_EQ(readFile(path("handling.cfg")), before);
    }
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

// Attacks on undo: a backup that is no file to put back, output that would land in either file,
// another program at the last instant, a file system without a name exchange, a folder the user
// may not write. Whatever happens, handling.cfg and handling.cfg.bak are each whole, and swapped
// only when undo says it is done.
TEST_F(EditorTest, UndoUnderAttack) {
  SKIP_UNDER_WINE("links, output redirection and faults of the Linux build");
  const std::string edited = fileWithLine(3, kInfernusBrakes);
  const std::string secret = (root_ / "secret.cfg").string();
  const std::string notChanged = "; handling.cfg was not changed.\n";
  const std::string changed =
      "vehicle-editor: another program changed handling.cfg or handling.cfg.bak during the "
      "undo" +
      notChanged;
  Limits intoHandling;
  intoHandling.appendOutputTo = path("handling.cfg");
  intoHandling.appended = 1;
  Limits intoBackup;
  intoBackup.appendOutputTo = path("handling.cfg.bak");
  intoBackup.appended = 1;
  const struct {
    const char* name;
    const char* fault;  // nullptr: none
    std::function<void()> prepare;
    std::vector<std::string> arguments;
    Limits limits;
    std::string err;
    int exitStatus;
    std::string handlingAfter;
    std::string backupAfter;
  } cases[] = {
      {"a backup that is a symbolic link",
       nullptr,
       [&] {
         fs::remove(path("handling.cfg.bak"));
         writeFile(secret, "SECRET 1 2 3\r\n");
         fs::create_symlink(secret, path("handling.cfg.bak"));
       },
       {"undo"},
       {},
       "vehicle-editor: handling.cfg.bak is a symbolic link, which undo never puts in place" +
           notChanged,
       1,
       edited,
       "SECRET 1 2 3\r\n"},
      {"a backup that is a folder",
       nullptr,
       [&] {
         fs::remove(path("handling.cfg.bak"));
         fs::create_directory(path("handling.cfg.bak"));
       },
       {"undo", "--dry-run"},
       {},
       "vehicle-editor: handling.cfg.bak is not a file" + notChanged,
       1,
       edited,
       ""},
      {"no handling.cfg",
       nullptr,
       [&] { fs::remove(path("handling.cfg")); },
       {"undo"},
       {},
       "vehicle-editor: could not open handling.cfg in " + root_.string() +
           "/game; start the editor in the folder that holds handling.cfg.\n",
       1,
       "",
       originalFile()},
      // No edit keeps such a backup: put back, the game would find no vehicle.
      {"an empty backup",
       nullptr,
       [&] { writeFile(path("handling.cfg.bak"), ""); },
       {"undo"},
       {},
       "vehicle-editor: handling.cfg.bak is empty, which undo never puts in place" + notChanged,
       1,
       edited,
       ""},
      {"a backup saved as UTF-16",
       nullptr,
       [&] { writeFile(path("handling.cfg.bak"), std::string("\xFF\xFER\0U\0", 6)); },
       {"undo"},
       {},
       "vehicle-editor: handling.cfg.bak is UTF-16 (\"Unicode\"); save it as ANSI or UTF-8" +
           notChanged,
       1,
       edited,
       std::string("\xFF\xFER\0U\0", 6)},
      {"undo >> handling.cfg",
       nullptr,
       nullptr,
       {"undo"},
       intoHandling,
       "vehicle-editor: standard output or standard error goes into handling.cfg" + notChanged,
       1,
       edited,
       originalFile()},
      {"undo --dry-run >> handling.cfg.bak",
       nullptr,
       nullptr,
       {"undo", "--dry-run"},
       intoBackup,
       "vehicle-editor: standard output or standard error goes into handling.cfg.bak" + notChanged,
       1,
       edited,
       originalFile()},
      {"the backup changed at the last instant",
       "append-backup",
       nullptr,
       {"undo"},
       {},
       changed,
       1,
       edited,
       originalFile() + "APPENDED 1 2 3\r\n"},
      {"handling.cfg saved by another program at the last instant",
       "new-handling",
       nullptr,
       {"undo"},
       {},
       changed,
       1,
       "RUMPO 1 2 3\r\n",
       originalFile()},
      {"no name exchange, no hard links",
       "no-links",
       nullptr,
       {"undo"},
       {},
       "",
       0,
       originalFile(),
       edited},
      // The link is replaced by a file of its own; the file it led to keeps its bytes.
      {"handling.cfg a symbolic link",
       nullptr,
       [&] {
         fs::remove(path("handling.cfg"));
         writeFile(secret, edited);
         fs::create_symlink(secret, path("handling.cfg"));
       },
       {"undo"},
       {},
       "",
       0,
       originalFile(),
       edited},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(path("handling.cfg.bak"));
    writeFile(path("handling.cfg"), edited);
    writeFile(path("handling.cfg.bak"), originalFile());
    if (c.prepare) c.prepare();
    if (c.fault) {
      setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
      setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
      setenv("VEHICLE_EDITOR_FAULT", c.fault, 1);
    }
    std::vector<std::string> command = editorCommand();
    command.insert(command.end(), c.arguments.begin(), c.arguments.end());
    RunOptions options{{{"", nullptr, ""}}};
    options.limits = c.limits;
    const RunResult result = run(command, options);
    unsetenv("VEHICLE_EDITOR_FAULT");
    unsetenv("LD_PRELOAD");
    EXPECT_EQ(result.err, reported(c.err));
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    // Standard output tells only of an undo that was done.
    if (c.exitStatus != 0) {
      EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(exists("handling.cfg"), !c.handlingAfter.empty());
    if (!c.handlingAfter.empty()) {
      EXPECT_EQ(readFile(path("handling.cfg")), c.handlingAfter);
    }
    if (!c.backupAfter.empty()) {
      EXPECT_EQ(readFile(path("handling.cfg.bak")), c.backupAfter);
    }
    EXPECT_FALSE(exists("temp.cfg"));
    EXPECT_FALSE(exists("handling.cfg.new"));
    EXPECT_FALSE(fs::is_symlink(path("handling.cfg")) && c.exitStatus == 0);
    // A file a link led to is never changed.
    if (fs::exists(secret)) {
      EXPECT_NE(readFile(secret), originalFile());
    }
    fs::remove(secret);
  }
  // A folder the user may read but not write: nothing can be swapped there, and nothing is.
  SKIP_UNLESS_ROOT_CAN_DROP_RIGHTS();
  writeFile(path("handling.cfg"), edited);
  writeFile(path("handling.cfg.bak"), originalFile());
  openFoldersToNobody(fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec);
  std::vector<std::string> undo = editorCommand();
  undo.push_back("undo");
  const RunResult result = run(asNobody(undo), RunOptions{{{"", nullptr, ""}}});
  EXPECT_EQ(
      result.err,
      reported("vehicle-editor: no change can be saved in this folder: Permission denied.\n") +
          reported("vehicle-editor: could not create temp.cfg: Permission denied" + notChanged));
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(readFile(path("handling.cfg")), edited);
  EXPECT_EQ(readFile(path("handling.cfg.bak")), originalFile());
}
