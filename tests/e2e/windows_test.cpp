// Scenarios of the Windows build alone, run under Wine.
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "editor_fixture.h"
#include "editor_texts.h"

using namespace texts;

namespace {

#define SKIP_UNLESS_WINE() \
  if (!underWine()) GTEST_SKIP() << "only for the Windows build under Wine"

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
// final menu: the file cannot be replaced, so it keeps its bytes and the edit is kept beside it.
TEST_F(EditorTest, HandlingFileHeldOpenByAnotherProgram) {
  SKIP_UNLESS_WINE();
  const std::string holdOut = (root_ / "hold.out").string();
  const std::string holdErr = (root_ / "hold.err").string();
  std::unique_ptr<ChildProcess> holder;
  const RunResult result =
      run(RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0\n"},
                      {kFinalMenu + kChoice,
                       [&] {
                         std::vector<std::string> command = windowsCommand("hold-file.exe");
                         command.push_back("handling.cfg");
                         holder = std::make_unique<ChildProcess>(command, (root_ / "game").string(),
                                                                 holdOut, holdErr);
                         ASSERT_TRUE(holder->waitForOutput("holding\n")) << readFile(holdErr);
                       },
                       "0\n"}}});
  RunResult held;
  holder->finish(&held);
  EXPECT_EQ(held.exitStatus, 0);
  expectEditKept(result, "Permission denied");
}
