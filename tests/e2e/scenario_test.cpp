// Whole runs of the editor, as a user types them: console output, exit status and the files
// left behind, byte for byte.
#include <sys/stat.h>

#include <algorithm>

#include <string>
#include <vector>

#include "editor_fixture.h"
#include "editor_texts.h"

using namespace texts;

namespace {

const std::string kFirstMenu = kBanner + kMainMenu + kChoice;

struct Scenario {
  const char* name;
  std::string input;
  std::string out;
  std::string handlingAfter;        // empty: handling.cfg keeps its bytes
  std::string handlingBefore = "";  // empty: originalFile()
};

const std::string kBom = "\xEF\xBB\xBF";
const std::string kSuperRumpo =
    written("RUMPO", "2000.0 2.0 5.0 2.2 0.0 0.0 0.0 80 2.0",
            "1.0 0.50 5 350.0 99.0 R D 7.0 0.5 0 30.0 1.2 0.1 0.2 0.3 20000 0.3 -0.15 0.5 0.2",
            "4001", "1 1");

const Scenario kScenarios[] = {
    {"leave at once", "0\n", kFirstMenu + "\n", ""},
    {"credits twice, then leave", "5\n5\n0\n",
     kFirstMenu + kCredits + kMainMenu + kChoice + kCredits + kMainMenu + kChoice + "\n", ""},
    {"only the six answers count", "01 1. 1a 6\n\n\n -1 one  0  \n",
     kFirstMenu + kChoice + kChoice + kChoice + kChoice + kChoice + kChoice + "\n", ""},
    {"manual edit of one value", "1\nINFERNUS\nR\n2.5\n0\n0\n",
     kFirstMenu + kAskManual + kVehicle + kValueIntro + kValue +
         changing("fBrakeDeceleration", "9.0") + kAfterEditMenu + kChoice + kFinalMenu + kChoice +
         kDone,
     fileWithLine(3, kInfernusBrakes)},
    {"answers share typed lines; refused codes and words",
     "1 INFERNUS\nA b r AB Ab aaa R 2.5 2 0 5 0\n",
     kFirstMenu + kAskManual + kVehicle + kValueIntro + kValue + kValue + kValue + kValue + kValue +
         kValue + kValue + changing("fBrakeDeceleration", "9.0") + kAfterEditMenu + kChoice +
         kChoice + kFinalMenu + kChoice + kChoice + kDone,
     fileWithLine(3, kInfernusBrakes)},
    {"three values of one vehicle, all written", "1 STING B 1,5 1 X 0.10 1 ag 0.50 0 0",
     kFirstMenu + kAskManual + kVehicle + kValueIntro + kValue + changing("fMass", "1300.0") +
         kAfterEditMenu + kChoice + kValueIntro + kValue + changing("fSeatOffsetDistance ", "0.3") +
         kAfterEditMenu + kChoice + kValueIntro + kValue + changing("rear lights", "1") +
         kAfterEditMenu + kChoice + kFinalMenu + kChoice + kDone,
     fileWithLine(7, written("STINGER", "1,5 2.2 4.8 1.3 0.0 0.0 -0.2 75 1.0",
                             "0.9 0.5 5 200.0 28.0 R P 10.0 0.5 0 32.0 1.4 0.1 0.10 0.3 80000 "
                             "0.3 -0.1 0.5 0.3",
                             "2004", "1 0.50"))},
    {"lookup passes over marker lines, small letters and unknown words",
     "1 marker rumpo NOSUCH RUMP R 7.0 0 0",
     kFirstMenu + kAskManual + kVehicle + kVehicle + kVehicle + kVehicle + kValueIntro + kValue +
         changing("fBrakeDeceleration", "7.0") + kAfterEditMenu + kChoice + kFinalMenu + kChoice +
         kDone,
     fileWithLine(2, written("RUMPO", "1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8",
                             "0.8 0.5 4 160.0 20.0 R D 7.0 0.5 0 30.0 1.2 0.1 0.2 0.3 20000 0.3 "
                             "-0.1 0.5 0.2",
                             "4001", "1 1"))},
    {"a word that matches a value takes that line", "4 110000 0 ",
     kFirstMenu + kAskRhino + kVehicle + kFinalMenu + kChoice + kDone,
     fileWithLine(6, written("TANK", "10000.0 3.0 6.0 2.0 0.0 0.0 0.0 99 0.5",
                             "0.5 0.5 3 90.0 10.0 4 D 5.0 0.5 0 25.0 1.0 0.1 0.2 0.09 110000 0.2 "
                             "-0.1 0.5 0.0",
                             "40000", "0 0"))},
    {"super car on a light car", "2\nRUMPO\n0\n",
     kFirstMenu + kAskSuperCar + kVehicle + kFinalMenu + kChoice + kDone,
     fileWithLine(2, kSuperRumpo)},
    // Saved as "UTF-8 with BOM": the first line is still a marker line, and the mark stays.
    {"a byte-order mark before the first line", "2\nRUMPO\n0\n",
     kFirstMenu + kAskSuperCar + kVehicle + kFinalMenu + kChoice + kDone,
     kBom + fileWithLine(2, kSuperRumpo), kBom + originalFile()},
    {"super car keeps a heavier mass; credits at the final menu", "2 TANK 1 1 2",
     kFirstMenu + kAskSuperCar + kVehicle + kFinalMenu + kChoice + kCredits + kFinalMenu + kChoice +
         kCredits + kFinalMenu + kChoice + kDone,
     fileWithLine(6, written("TANK", "10000.0 3.0 6.0 2.0 0.0 0.0 0.0 99 2.0",
                             "1.0 0.50 5 350.0 99.0 4 D 5.0 0.5 0 25.0 1.0 0.1 0.2 0.1 110000 0.2 "
                             "-0.15 0.5 0.0",
                             "40000", "0 0"))},
    {"super bike on a line ending in LF alone", "3 BIKE 0",
     kFirstMenu + kAskSuperBike + kVehicle + kFinalMenu + kChoice + kDone,
     fileWithLine(5, written("BIKE", "400.0 0.8 2.1 1.2 0.0 0.0 0.0 90 2.0",
                             "1.0 0.50 5 350.0 99.0 R P 12.0 0.5 0 30.0 2.0 0.1 0.3 0.5 10000 0.3 "
                             "-0.1 0.5 0.0",
                             "1000001", "0 0"))},
    {"Rhino on the last line, which has no line end", "4 STINGER 0",
     kFirstMenu + kAskRhino + kVehicle + kFinalMenu + kChoice + kDone,
     fileWithLine(7, written("STINGER", "1300.0 2.2 4.8 1.3 0.0 0.0 -0.2 75 1.0",
                             "0.9 0.5 5 200.0 28.0 R P 10.0 0.5 0 32.0 1.4 0.1 0.3 0.09 80000 0.3 "
                             "-0.1 0.5 0.3",
                             "2004", "1 1"))},
    {"credits first, then cancel to menu still writes", "5 1 INFERNUS R 2.5 0 1 0",
     kFirstMenu + kCredits + kMainMenu + kChoice + kAskManual + kVehicle + kValueIntro + kValue +
         changing("fBrakeDeceleration", "9.0") + kAfterEditMenu + kChoice + kFinalMenu + kChoice +
         kCredits + kFinalMenu + kChoice + kDone,
     fileWithLine(3, kInfernusBrakes)},
};

}  // namespace

TEST_F(EditorTest, Scenarios) {
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    const std::string before =
        scenario.handlingBefore.empty() ? originalFile() : scenario.handlingBefore;
    writeFile(path("handling.cfg"), before);
    const RunResult result = run(scenario.input);
    EXPECT_EQ(result.out, scenario.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);
    const std::string expected = scenario.handlingAfter.empty() ? before : scenario.handlingAfter;
    EXPECT_EQ(readFile(path("handling.cfg")), expected);
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

// The record replaces the line the lookup took and no other, whatever words other lines hold.
TEST_F(EditorTest, OnlyTheChosenLineChanges) {
  const std::string lines[] = {"BLISTA 1",   "ZEBRA after BLISTA", "! BIKE marker",
                               "DIRTBIKE 3", "FREEWAY IS_BIKE",    "FREEWAY 2",
                               "BIKE 4"};
  const auto fileWith = [&](std::size_t number, const std::string& replacement) {
    std::string bytes;
    for (std::size_t i = 0; i < std::size(lines); ++i)
      bytes += (i == number ? replacement : lines[i]) + "\r\n";
    return bytes;
  };
  const struct {
    const char* input;
    std::string after;
  } cases[] = {
      {"1 BLISTA B 9 0 0", fileWith(0, "BLISTA         9" + std::string(74, ' '))},
      {"1 FREEWAY C 9 0 0", fileWith(4, "FREEWAY         IS_BIKE 9" + std::string(73, ' '))},
      {"3 BIKE 0", fileWith(3, written("DIRTBIKE", "3    0.0 0.0 0.0  2.0",
                                       "1.0 0.50 5 350.0 99.0" + std::string(15, ' '), "", " "))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    writeFile(path("handling.cfg"), fileWith(99, ""));
    const RunResult result = run(c.input);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFile(path("handling.cfg")), c.after);
  }
}

// Started in the wrong folder: nothing there is created, emptied or removed, not even another
// program's temp.cfg, and the user learns where the editor looked.
TEST_F(EditorTest, MissingHandlingFile) {
  fs::remove(path("handling.cfg"));
  writeFile(path("temp.cfg"), "another program's file\r\n");
  std::string folder = path("");
  folder.pop_back();
  if (underWine()) {
    // Wine shows the Linux file system as drive Z:.
    std::replace(folder.begin(), folder.end(), '/', '\\');
    folder = "Z:" + folder;
  }
  const RunResult result = run("0\n");
  EXPECT_EQ(result.out, "Couldn't open the file handling.cfg.\n");
  EXPECT_EQ(result.err, reported("vehicle-editor: it looked for handling.cfg in " + folder +
                                 ".\nStart the editor in the folder that holds handling.cfg.\n"));
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_FALSE(exists("handling.cfg"));
  EXPECT_EQ(readFile(path("temp.cfg")), "another program's file\r\n");
}

// Whatever prompt the input ends at, the run stops at once and handling.cfg keeps its bytes.
TEST_F(EditorTest, EndOfInputAtEveryPrompt) {
  const struct {
    const char* input;
    std::string outTail;
  } cases[] = {
      {"", kChoice},
      {"7", kChoice},
      {"1", kVehicle},
      {"1 NOSUCH", kVehicle + kVehicle},
      {"1 INFERNUS", kValue},
      {"1 INFERNUS A", kValue + kValue},
      {"1 INFERNUS R", "What should it be? "},
      {"1 INFERNUS R 2.5", kChoice},
      {"1 INFERNUS R 2.5 1", kValue},
      {"1 INFERNUS R 2.5 0", kFinalMenu + kChoice},
      {"2 RUMPO 1", kFinalMenu + kChoice},
      {"4 TANK 1 1", kFinalMenu + kChoice},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const RunResult result = run(c.input);
    EXPECT_EQ(result.out.substr(result.out.size() - c.outTail.size() - 1), c.outTail + "\n");
    EXPECT_EQ(result.err, kInputEnded);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

TEST_F(EditorTest, EndOfInputWithOnlyMarkerLines) {
  writeFile(path("handling.cfg"), "; RUMPO\r\n$RUMPO\r\n&RUMPO\r\n!RUMPO");
  const RunResult result = run("1 RUMPO RUMPO");
  EXPECT_EQ(result.out, kFirstMenu + kAskManual + kVehicle + kVehicle + kVehicle + "\n");
  EXPECT_EQ(result.err, kInputEnded);
  EXPECT_EQ(result.exitStatus, 1);
}

// --help and --version are answered before start-up: no file is touched, not even the permissions
// of handling.cfg, and no temp.cfg is created. Other arguments are ignored; the first question
// counts.
TEST_F(EditorTest, HelpAndVersionTouchNoFile) {
  const std::string version = "vehicle-editor " VEHICLE_EDITOR_VERSION "\n";
  Limits readerGone;
  readerGone.outputReaderGone = true;
  Limits fileSizeLimit;
  fileSizeLimit.fileSizeLimit = 10;
  const struct {
    std::vector<std::string> arguments;
    bool help;
    Limits limits = {};
  } cases[] = {
      {{"--help"}, true},
      {{"-h"}, true},
      {{"--version"}, false},
      {{"extra", "--version", "--help"}, false},
      // The answer is cut short; the status stays 0, no signal ends the process.
      {{"--help"}, true, readerGone},
      {{"--version"}, false, fileSizeLimit},
  };
  chmod(path("handling.cfg").c_str(), 0444);
  for (const auto& c : cases) {
    const bool limited = c.limits.outputReaderGone || c.limits.fileSizeLimit > 0;
    if (limited && underWine()) continue;  // POSIX signals and resource limits
    SCOPED_TRACE(c.arguments[0]);
    std::vector<std::string> command = editorCommand();
    command.insert(command.end(), c.arguments.begin(), c.arguments.end());
    // Answers that would edit the file, were the menus shown.
    RunOptions options{{{"", nullptr, "2 RUMPO 0\n"}}};
    options.limits = c.limits;
    const RunResult result = run(command, options);
    if (limited) {
      EXPECT_EQ(result.out, c.limits.outputReaderGone ? "" : version.substr(0, 10));
    } else if (c.help) {
      EXPECT_EQ(result.out.rfind("Usage: vehicle-editor [--help | --version]\n", 0), 0u);
      for (const char* fact : {"handling.cfg", "Ctrl-C", "Ctrl-D", "Ctrl-Z", "README.md"})
        EXPECT_NE(result.out.find(fact), std::string::npos) << fact;
    } else {
      EXPECT_EQ(result.out, version);
    }
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
    EXPECT_EQ(mode("handling.cfg"), 0444u);
    EXPECT_FALSE(exists("temp.cfg"));
  }
}
