// The handling file survives every failure the editor can meet in the game folder.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "editor_fixture.h"
#include "editor_texts.h"

using namespace texts;

namespace {

const std::string kEdit = "1 INFERNUS R 2.5 0 0\n";
const std::string kAtFinalMenu = kFinalMenu + kChoice;
const std::string kInfernusBrakes = written("INFERNUS", "1100.0 2.0 4.4 1.2 0.0 0.0 -0.3 70 0.9",
                                            "0.8 0.5 5 220.0 30.0 4 P 2.5 0.5 1 35.0 1.5 0.1 0.3 "
                                            "0.2 95000 0.3 -0.2 0.5 0.4",
                                            "2003", "2 0");

// Types the manual edit up to the final menu, does `action` while the editor waits there, then
// answers the final menu.
RunOptions editWithPauseAtFinalMenu(std::function<void()> action) {
  return RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0\n"}, {kAtFinalMenu, action, "0\n"}}};
}

}  // namespace

TEST_F(EditorTest, TempFileThatIsAFolder) {
  fs::create_directory(path("temp.cfg"));
  const RunResult result = run(kEdit);
  EXPECT_EQ(result.out.substr(result.out.size() - 42),
            kAtFinalMenu.substr(kAtFinalMenu.size() - 9) + "Couldn't open the temporary file.");
  EXPECT_EQ(result.err,
            "vehicle-editor: could not create temp.cfg: Is a directory; handling.cfg was not "
            "changed.\n");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
  EXPECT_TRUE(fs::is_directory(path("temp.cfg")));
}

TEST_F(EditorTest, TempFileLeftFromAnEarlierRunIsEmptiedAndReplaced) {
  writeFile(path("temp.cfg"), "left over\r\n");
  EXPECT_EQ(run(kEdit).exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  EXPECT_FALSE(exists("temp.cfg"));
}

// A file size limit below the size of the new file makes a write fail part way.
TEST_F(EditorTest, WriteFailureKeepsTheHandlingFile) {
  SKIP_UNDER_WINE("the write failure comes from a POSIX file size limit (RLIMIT_FSIZE)");
  std::string big = originalFile();
  while (big.size() < 64 * 1024)
    big = "; padding line to make the file larger than the limit\r\n" + big;
  writeFile(path("handling.cfg"), big);
  RunOptions options{{{"", nullptr, kEdit}}};
  options.fileSizeLimit = 16 * 1024;
  const RunResult result = run(options);
  EXPECT_EQ(result.err,
            "vehicle-editor: could not write temp.cfg: File too large; handling.cfg was not "
            "changed.\n");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(readFile(path("handling.cfg")), big);
  EXPECT_FALSE(exists("temp.cfg"));
}

// A link named temp.cfg is removed, never written through.
TEST_F(EditorTest, TempFileThatIsASymbolicLink) {
  SKIP_UNDER_WINE("Wine shows a POSIX symbolic link to Windows programs as the file it names");
  const std::string victim = (root_ / "victim.txt").string();
  for (const bool dangling : {false, true}) {
    SCOPED_TRACE(dangling ? "dangling link" : "link to a file");
    writeFile(path("handling.cfg"), originalFile());
    fs::remove(victim);
    if (!dangling) writeFile(victim, "not yours\n");
    fs::create_symlink(victim, path("temp.cfg"));
    const RunResult result = run(kEdit);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
    EXPECT_FALSE(exists("temp.cfg"));
    EXPECT_EQ(fs::exists(victim), !dangling);
    if (!dangling) {
      EXPECT_EQ(readFile(victim), "not yours\n");
    }
  }
}

TEST_F(EditorTest, PermissionBits) {
  SKIP_UNDER_WINE("Windows files have no permission bits; see ReadOnlyAttributeIsCleared");
  chmod(path("handling.cfg").c_str(), 0640);
  EXPECT_EQ(run(kEdit).exitStatus, 0);
  EXPECT_EQ(mode("handling.cfg"), 0640u);

  // A read-only file is made writable for its owner at start-up, even when nothing is edited.
  chmod(path("handling.cfg").c_str(), 0444);
  const std::string before = readFile(path("handling.cfg"));
  EXPECT_EQ(run("0\n").exitStatus, 0);
  EXPECT_EQ(mode("handling.cfg"), 0644u);
  EXPECT_EQ(readFile(path("handling.cfg")), before);
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

// When the edited file cannot take the handling file's place, both stay as they are.
TEST_F(EditorTest, ReplacementFails) {
  const RunResult result = run(editWithPauseAtFinalMenu([this] {
    fs::remove(path("handling.cfg"));
    fs::create_directory(path("handling.cfg"));
    writeFile(path("handling.cfg/keep.txt"), "kept");
  }));
  // Windows refuses to move a file over a folder as it refuses any access it does not allow.
  const std::string reason = underWine() ? "Permission denied" : "Is a directory";
  EXPECT_EQ(result.out.substr(result.out.size() - kAtFinalMenu.size() - 1), kAtFinalMenu + "\n");
  EXPECT_EQ(result.err, "\nError deleting config.cfg: " + reason +
                            "\nvehicle-editor: handling.cfg was not changed: " + reason +
                            "; the edited file was kept as temp.cfg.\n");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(readFile(path("handling.cfg/keep.txt")), "kept");
  EXPECT_EQ(readFile(path("temp.cfg")), fileWithLine(3, kInfernusBrakes));
}
