// Whole runs of the editor, as a user types them: console output, exit status and the files
// left behind, byte for byte.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
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
  std::string err = "";             // the notes on standard error
};

// originalFile() with the line end after line `number` (from 0) made a CR alone.
std::string withLoneCrAfter(std::size_t number) {
  std::string bytes;
  for (std::size_t i = 0; i < kLines.size(); ++i)
    bytes += kLines[i] + (i == number ? "\r" : "\r\n");
  return bytes;
}
std::string note(const std::string& text) {
  return reported("vehicle-editor: note: " + text + ".\n");
}
const std::string kRumpoWithBrakes =
    written("RUMPO", "1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8",
            "0.8 0.5 4 160.0 20.0 R D 2.5 0.5 0 30.0 1.2 0.1 0.2 0.3 20000 0.3 -0.1 0.5 0.2",
            "4001", "1 1");

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
                             "2004", "1 0.50")),
     "",
     note("\"STING\" was found inside line 8, the line of STINGER") +
         note("\"1,5\" does not fit fMass, which takes a decimal number with a dot, such as 2.5; "
              "it is stored as typed") +
         note("\"0.50\" does not fit rear lights, which takes a whole number, such as 5; it is "
              "stored as typed")},
    {"lookup passes over marker lines, small letters and unknown words",
     "1 marker rumpo NOSUCH RUMP R 7.0 0 0",
     kFirstMenu + kAskManual + kVehicle + kVehicle + kVehicle + kVehicle + kValueIntro + kValue +
         changing("fBrakeDeceleration", "7.0") + kAfterEditMenu + kChoice + kFinalMenu + kChoice +
         kDone,
     fileWithLine(2, written("RUMPO", "1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8",
                             "0.8 0.5 4 160.0 20.0 R D 7.0 0.5 0 30.0 1.2 0.1 0.2 0.3 20000 0.3 "
                             "-0.1 0.5 0.2",
                             "4001", "1 1")),
     "", note("\"RUMP\" was found inside line 3, the line of RUMPO")},
    {"a word that matches a value takes that line", "4 110000 0 ",
     kFirstMenu + kAskRhino + kVehicle + kFinalMenu + kChoice + kDone,
     fileWithLine(6, written("TANK", "10000.0 3.0 6.0 2.0 0.0 0.0 0.0 99 0.5",
                             "0.5 0.5 3 90.0 10.0 4 D 5.0 0.5 0 25.0 1.0 0.1 0.2 0.09 110000 0.2 "
                             "-0.1 0.5 0.0",
                             "40000", "0 0")),
     "", note("\"110000\" was found inside line 7, the line of TANK")},
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
    // A CR alone ends the line before INFERNUS's, and comes back as CR LF.
    {"a line ended by a CR alone", "1\nINFERNUS\nR\n2.5\n0\n0\n",
     kFirstMenu + kAskManual + kVehicle + kValueIntro + kValue +
         changing("fBrakeDeceleration", "9.0") + kAfterEditMenu + kChoice + kFinalMenu + kChoice +
         kDone,
     fileWithLine(3, kInfernusBrakes), withLoneCrAfter(2)},
    // "0" typed to go back: the first line holding a 0 is taken, and the note says which.
    {"a word found inside a line is named on standard error", "1 0 R 2.5 0 0",
     kFirstMenu + kAskManual + kVehicle + kValueIntro + kValue +
         changing("fBrakeDeceleration", "7.0") + kAfterEditMenu + kChoice + kFinalMenu + kChoice +
         kDone,
     fileWithLine(2, kRumpoWithBrakes), "",
     note("\"0\" was found inside line 3, the line of RUMPO")},
    // A comment indented by a tab: the menus still take it, and the note shows the trap.
    {"an indented comment that holds the word", "1 BIKE C 9 0 0",
     kFirstMenu + kAskManual + kVehicle + kValueIntro + kValue + changing("Dimensions.x", "tuned") +
         kAfterEditMenu + kChoice + kFinalMenu + kChoice + kDone,
     fileWithLine(4, written(";", "BIKE 9" + std::string(7, ' '), std::string(19, ' '), "", " ")),
     originalFile().replace(originalFile().find("\r\n\r\n") + 2, 0, "\t; BIKE tuned"),
     note("\"BIKE\" was found inside line 5, a line indented before \";\"")},
    {"a name that begins two vehicle lines", "2 STINGER 0",
     kFirstMenu + kAskSuperCar + kVehicle + kFinalMenu + kChoice + kDone,
     fileWithLine(7, written("STINGER", "2000.0 2.2 4.8 1.3 0.0 0.0 0.0 75 2.0",
                             "1.0 0.50 5 350.0 99.0 R P 10.0 0.5 0 32.0 1.4 0.1 0.3 0.3 80000 "
                             "0.3 -0.15 0.5 0.3",
                             "2004", "1 1")) +
         "STINGER 1\r\n",
     originalFile() + "\r\nSTINGER 1", note("line 8 is taken; STINGER also begins line 9")},
    // The typed word is only in the later of two lines of one name: the earlier one is named too.
    {"a word inside the later of two lines of one name", "4 ZZZ 0",
     kFirstMenu + kAskRhino + kVehicle + kFinalMenu + kChoice + kDone,
     fileWithLine(99, "") +
         written("TANK", "1.0 ZZZ" + std::string(7, ' '),
                 std::string(14, ' ') + "0.09" + std::string(5, ' '), "", " ") +
         "\r\n",
     originalFile() + "\r\nTANK 1.0 ZZZ",
     note("\"ZZZ\" was found inside line 9, the line of TANK") +
         note("line 9 is taken; TANK also begins line 7") +
         note("the line of TANK has no column Dimensions.y, so fCollisionDamageMultiplier would "
              "land in another column; it is written all the same")},
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
    fs::remove(path("handling.cfg.bak"));
    const RunResult result = run(scenario.input);
    EXPECT_EQ(result.out, scenario.out);
    EXPECT_EQ(result.err, scenario.err);
    EXPECT_EQ(result.exitStatus, 0);
    const std::string expected = scenario.handlingAfter.empty() ? before : scenario.handlingAfter;
    EXPECT_EQ(readFile(path("handling.cfg")), expected);
    EXPECT_FALSE(exists("temp.cfg"));
    // The file an edit replaced is kept; a run that edits nothing keeps nothing.
    if (scenario.handlingAfter.empty()) {
      EXPECT_FALSE(exists("handling.cfg.bak"));
    } else {
      EXPECT_EQ(readFile(path("handling.cfg.bak")), before);
    }
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
    std::vector<std::string> arguments;
    int exitStatus = 0;
  } cases[] = {
      {"1 BLISTA B 9 0 0", fileWith(0, "BLISTA         9" + std::string(74, ' ')), {}},
      // The commands take the line whose first word is the name, here the last one.
      {"", fileWith(6, "BIKE         9" + std::string(74, ' ')), {"set", "BIKE", "B=9"}},
      // A value past a column the line lacks would land in that column: refused, file kept.
      {"", fileWith(99, ""), {"set", "BLISTA", "D=9"}, 1},
      {"", fileWith(99, ""), {"preset", "rhino", "BIKE"}, 1},
      {"1 FREEWAY C 9 0 0", fileWith(4, "FREEWAY         IS_BIKE 9" + std::string(73, ' ')), {}},
      {"3 BIKE 0",
       fileWith(3, written("DIRTBIKE", "3    0.0 0.0 0.0  2.0",
                           "1.0 0.50 5 350.0 99.0" + std::string(15, ' '), "", " ")),
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    writeFile(path("handling.cfg"), fileWith(99, ""));
    std::vector<std::string> command = editorCommand();
    command.insert(command.end(), c.arguments.begin(), c.arguments.end());
    const RunResult result = run(command, RunOptions{{{"", nullptr, c.input}}});
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(readFile(path("handling.cfg")), c.after);
    EXPECT_FALSE(exists("temp.cfg"));
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
      // Every command, on one screen of a console window.
      for (const char* usage :
           {" list\n", " show NAME\n", " set [--force] [--dry-run] NAME",
            " preset [--dry-run] supercar|superbike|rhino NAME", " [FOLDER/handling.cfg]\n",
            " get NAME CODE...\n", " apply [--force] [--dry-run] [FILE]\n", "-C FOLDER", "--wait",
            "  --  ends the options", " check\n", " undo [--dry-run]\n"})
        EXPECT_NE(result.out.find(usage), std::string::npos) << usage;
      std::size_t lines = 0;
      for (std::size_t start = 0, end; (end = result.out.find('\n', start)) != std::string::npos;
           start = end + 1, ++lines)
        EXPECT_LE(end - start, 79u) << result.out.substr(start, end - start);
      EXPECT_LE(lines, 24u);
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

namespace {

// The editor run with `arguments`, and answers on standard input that would edit handling.cfg if
// the menus came up instead.
std::vector<std::string> withArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = editorCommand();
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}
const RunOptions kAnswersThatWouldEdit{{{"", nullptr, "2 RUMPO 0\n"}}};

// Every name in `folder` with its permission bits and bytes.
std::string folderState(const fs::path& folder) {
  std::vector<std::string> entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    entries.push_back(entry.path().filename().string() + " " +
                      std::to_string(info.st_mode & 07777) + "\n" + readFile(entry.path()));
  }
  std::sort(entries.begin(), entries.end());
  std::string state;
  for (const std::string& entry : entries)
    state += entry + "\n";
  return state;
}

const std::string kShowBike =
    "BIKE, line 6 of handling.cfg:\n"
    "B   fMass                                   400.0\n"
    "C   Dimensions.x                            0.8\n"
    "D   Dimensions.y                            2.1\n"
    "E   Dimensions.z                            1.2\n"
    "F   CentreOfMass.x                          0.0\n"
    "G   CentreOfMass.y                          0.1\n"
    "H   CentreOfMass.z                          -0.1\n"
    "I   nPercentSubmerged                       90\n"
    "J   fTractionMultiplier                     1.5\n"
    "K   fTractionLoss                           0.9\n"
    "L   fTractionBias                           0.5\n"
    "M   TransmissionData.nNumberOfGears         5\n"
    "N   TransmissionData.fMaxVelocity           180.0\n"
    "O   TransmissionData.fEngineAcceleration    32.0\n"
    "P   TransmissionData.nDriveType             R\n"
    "Q   TransmissionData.nEngineType            P\n"
    "R   fBrakeDeceleration                      12.0\n"
    "S   fBrakeBias                              0.5\n"
    "T   bABS                                    0\n"
    "U   fSteeringLock                           30.0\n"
    "V   fSuspensionForceLevel                   2.0\n"
    "W   fSuspensionDampingLevel                 0.1\n"
    "X   fSeatOffsetDistance                     0.3\n"
    "Y   fCollisionDamageMultiplier              0.5\n"
    "Z   nMonetaryValue                          10000\n"
    "aa  suspension upper limit                  0.3\n"
    "ab  suspension lower limit                  -0.1\n"
    "ac  suspension bias between front and rear  0.5\n"
    "ad  suspension anti-dive multiplier         0.0\n"
    "ae  flags                                   1000001\n"
    "af  front lights                            0\n"
    "ag  rear lights                             0\n";

std::string usage(const std::string& what) {
  return "vehicle-editor: " + what + " (see vehicle-editor --help)\n";
}

struct CommandScenario {
  std::vector<std::string> arguments;
  std::string out;
  std::string err;
  int exitStatus;
  std::string handlingAfter;        // empty: the folder is left exactly as it was
  std::string handlingBefore = "";  // empty: originalFile()
};

// originalFile() with a comment indented by a tab that names BIKE, and a second TANK line.
const std::string kWithTraps =
    originalFile().replace(originalFile().find("\r\n\r\n") + 2, 0, "\t; BIKE tuned by hand") +
    "\r\nTANK 1,0";
const std::string kTrapsChecked =
    "handling.cfg:5: a line indented before \";\": the menus may take it for a vehicle line\n"
    "handling.cfg:9: TANK has 2 columns; a vehicle line has 33\n"
    "handling.cfg:9: TANK: \"1,0\" does not fit fMass, which takes a decimal number with a dot, "
    "such as 2.5\n"
    "handling.cfg:9: TANK also begins line 7, which the editor takes\n";

const CommandScenario kCommandScenarios[] = {
    {{"list"}, "RUMPO\nINFERNUS\nBIKE\nTANK\nSTINGER\n", "", 0, ""},
    {{"show", "BIKE"}, kShowBike, "", 0, ""},
    {{"show", "rumpo"},
     "",
     "vehicle-editor: no vehicle line of handling.cfg begins with \"rumpo\" (closest: RUMPO).\n",
     1,
     ""},
    // The marker line "$ RUMPO marker line" is never taken.
    {{"show", "$"},
     "",
     "vehicle-editor: no vehicle line of handling.cfg begins with \"$\".\n",
     1,
     ""},
    {{"set", "INFERNUS", "R=2.5"},
     "INFERNUS: fBrakeDeceleration 9.0 -> 2.5\n",
     "",
     0,
     fileWithLine(3, kInfernusBrakes)},
    {{"set", "--dry-run", "INFERNUS", "R=2.5", "B=1100.0"},
     "dry run: INFERNUS: fBrakeDeceleration 9.0 -> 2.5\n"
     "dry run: INFERNUS: fMass 1100.0 -> 1100.0 (unchanged)\n",
     "",
     0,
     ""},
    {{"preset", "rhino", "STINGER"},
     "STINGER: fCollisionDamageMultiplier 0.3 -> 0.09\n",
     "",
     0,
     fileWithLine(7, written("STINGER", "1300.0 2.2 4.8 1.3 0.0 0.0 -0.2 75 1.0",
                             "0.9 0.5 5 200.0 28.0 R P 10.0 0.5 0 32.0 1.4 0.1 0.3 0.09 80000 0.3 "
                             "-0.1 0.5 0.3",
                             "2004", "1 1"))},
    // Only the values whose text changes are listed: CentreOfMass.x is 0.0 already.
    {{"preset", "supercar", "RUMPO", "--dry-run"},
     "dry run: RUMPO: fMass 1500.0 -> 2000.0\ndry run: RUMPO: CentreOfMass.y 0.1 -> 0.0\n"
     "dry run: RUMPO: CentreOfMass.z -0.2 -> 0.0\ndry run: RUMPO: fTractionMultiplier 0.8 -> 2.0\n"
     "dry run: RUMPO: fTractionLoss 0.8 -> 1.0\ndry run: RUMPO: fTractionBias 0.5 -> 0.50\n"
     "dry run: RUMPO: TransmissionData.nNumberOfGears 4 -> 5\n"
     "dry run: RUMPO: TransmissionData.fMaxVelocity 160.0 -> 350.0\n"
     "dry run: RUMPO: TransmissionData.fEngineAcceleration 20.0 -> 99.0\n"
     "dry run: RUMPO: suspension lower limit -0.1 -> -0.15\n",
     "",
     0,
     ""},
    {{"set", "INFERNUS", "R=2,5"},
     "",
     usage("R=2,5 writes a decimal with a comma, which the game may crash on: write R=2.5, or "
           "give --force to keep it"),
     2,
     ""},
    {{"lsit"}, "", usage("unknown command \"lsit\", and no path of a handling.cfg"), 2, ""},
    {{"show"}, "", usage("show needs the NAME of a vehicle"), 2, ""},
    {{"set", "INFERNUS"}, "", usage("set needs the NAME of a vehicle, then CODE=VALUE"), 2, ""},
    {{"set", "INFERNUS", "R"}, "", usage("\"R\" is no CODE=VALUE, such as R=2.5"), 2, ""},
    {{"set", "INFERNUS", "A=1"},
     "",
     usage("unknown code \"A\" in \"A=1\"; the codes are B to Z and aa to ag"),
     2,
     ""},
    {{"set", "INFERNUS", "R=2 5"},
     "",
     usage("the value for R holds whitespace; it is one word"),
     2,
     ""},
    {{"set", "INFERNUS", "R=1", "R=2"}, "", usage("R is given twice"), 2, ""},
    {{"preset", "fast", "RUMPO"},
     "",
     usage("unknown preset \"fast\"; the presets are supercar, superbike and rhino"),
     2,
     ""},
    {{"list", "--force"}, "", usage("--force does not go with list"), 2, ""},
    {{"show", "--quiet", "BIKE"}, "", usage("unknown option \"--quiet\""), 2, ""},
    {{"show", "BIKE", "TANK"}, "", usage("show takes one NAME, but got also \"TANK\""), 2, ""},
    {{"nowhere/handling.cfg"}, "", usage("there is no file \"nowhere/handling.cfg\""), 2, ""},
    {{"set", "--", "INFERNUS", "R=2.5"},
     "INFERNUS: fBrakeDeceleration 9.0 -> 2.5\n",
     "",
     0,
     fileWithLine(3, kInfernusBrakes)},
    {{"show", "--", "--force"},
     "",
     "vehicle-editor: no vehicle line of handling.cfg begins with \"--force\".\n",
     1,
     ""},
    // Just the values asked for, one a line.
    {{"get", "BIKE", "R", "B", "ag", "R"}, "12.0\n400.0\n0\n12.0\n", "", 0, ""},
    {{"get", "NOSUCHCAR", "R"},
     "",
     "vehicle-editor: no vehicle line of handling.cfg begins with \"NOSUCHCAR\".\n",
     1,
     ""},
    {{"get", "BIKE", "R=1"},
     "",
     usage("unknown code \"R=1\"; the codes are B to Z and aa to ag"),
     2,
     ""},
    // Values as they are already, or a preset that finds them so: nothing is written.
    {{"set", "INFERNUS", "R=9.0", "B=1100.0"},
     "handling.cfg: no value changes, so it was not written\n",
     "",
     0,
     ""},
    {{"set", "--dry-run", "INFERNUS", "R=9.0"},
     "dry run: handling.cfg: no value changes, so it was not written\n",
     "",
     0,
     ""},
    {{"set", "NOSUCHCAR", "R=1.0"},
     "",
     "vehicle-editor: no vehicle line of handling.cfg begins with \"NOSUCHCAR\".\n",
     1,
     ""},
    // A comment indented by a tab is no vehicle line for the commands.
    {{"list"}, "RUMPO\nINFERNUS\nBIKE\nTANK\nSTINGER\nTANK\n", "", 0, "", kWithTraps},
    {{"show", ";"},
     "",
     "vehicle-editor: no vehicle line of handling.cfg begins with \";\".\n",
     1,
     "",
     kWithTraps},
    // A name that begins two vehicle lines: the first is taken, and the note says so.
    {{"set", "--dry-run", "TANK", "R=6.0"},
     "dry run: TANK: fBrakeDeceleration 5.0 -> 6.0\n",
     "vehicle-editor: note: line 7 is taken; TANK also begins line 9.\n",
     0,
     "",
     kWithTraps},
    // A value that does not fit its column: refused, and advice only for the number meant.
    {{"set", "INFERNUS", "B=1,100.5"},
     "",
     usage("B=1,100.5 does not fit fMass, which takes a decimal number with a dot, such as 2.5; "
           "give --force to keep it"),
     2,
     ""},
    {{"set", "INFERNUS", "R==2.5"},
     "",
     usage("R==2.5 does not fit fBrakeDeceleration, which takes a decimal number with a dot, "
           "such as 2.5; give --force to keep it"),
     2,
     ""},
    {{"set", "INFERNUS", "P=X"},
     "",
     usage("P=X does not fit TransmissionData.nDriveType, which takes F, R or 4 (front, rear or "
           "four-wheel drive); give --force to keep it"),
     2,
     ""},
    {{"set", "--dry-run", "--force", "INFERNUS", "B=abc"},
     "dry run: INFERNUS: fMass 1100.0 -> abc\n",
     "",
     0,
     ""},
    {{"check"}, "", "", 0, ""},
    {{"check"}, kTrapsChecked, "", 1, "", kWithTraps},
    {{"check"},
     "handling.cfg:3: a CR alone ends this line; the game may not take it for a line end\n",
     "",
     1,
     "",
     fileWithLine(99, "").replace(fileWithLine(99, "").find("\r\nINFERNUS"), 2, "\r")},
    {{"check", "all"}, "", usage("check takes nothing more, but got \"all\""), 2, ""},
};

}  // namespace

// The commands beside the menus. Those that only look (and every refused command line) leave the
// folder exactly as it was, even the read-only mode of handling.cfg.
TEST_F(EditorTest, Commands) {
  for (const CommandScenario& scenario : kCommandScenarios) {
    std::string trace;
    for (const std::string& argument : scenario.arguments)
      trace += argument + " ";
    SCOPED_TRACE(trace);
    writeFile(path("handling.cfg"),
              scenario.handlingBefore.empty() ? originalFile() : scenario.handlingBefore);
    chmod(path("handling.cfg").c_str(), 0444);
    const std::string before = folderState(root_ / "game");
    const RunResult result = run(withArguments(scenario.arguments), kAnswersThatWouldEdit);
    EXPECT_EQ(result.out, scenario.out);
    EXPECT_EQ(result.err, reported(scenario.err));
    EXPECT_EQ(result.exitStatus, scenario.exitStatus);
    if (scenario.handlingAfter.empty()) {
      EXPECT_EQ(folderState(root_ / "game"), before);
    } else {
      EXPECT_EQ(readFile(path("handling.cfg")), scenario.handlingAfter);
      EXPECT_FALSE(exists("temp.cfg"));
    }
  }
  // Output that cannot be written (here past a file size limit, as on a full disk) is a failure,
  // not a crash and not a success.
  if (underWine()) return;  // a POSIX resource limit
  std::vector<std::string> command = withArguments({"list"});
  RunOptions options{{{"", nullptr, ""}}};
  options.limits.fileSizeLimit = 3;
  const RunResult result = run(command, options);
  EXPECT_EQ(result.out, "RUM");
  EXPECT_EQ(result.err, "veh");  // the limit holds for standard error too
  EXPECT_EQ(result.exitStatus, 1);
}

// No command writes into handling.cfg, not even a usage error: standard output or error led
// into it is refused before a byte is written, and said on the other stream.
TEST_F(EditorTest, CommandsNeverWriteIntoHandlingFile) {
  SKIP_UNDER_WINE("a file that a Windows program's standard streams lead into");
  const std::vector<std::vector<std::string>> commandLines = {
      {"list"},
      {"show", "BIKE"},
      {"show", "NOSUCHCAR"},
      {"set", "--dry-run", "INFERNUS", "R=2.5"},
      {"set", "INFERNUS", "R=2.5"},
      {"preset", "rhino", "TANK"},
      {"lsit"},
      {"set", "INFERNUS", "R=2,5"},
      {"handling.cfg"},
      {"nowhere/handling.cfg"},
  };
  const std::string refused =
      "vehicle-editor: standard output or standard error goes into handling.cfg; handling.cfg "
      "was not changed.\n";
  for (const std::vector<std::string>& arguments : commandLines) {
    for (int appended : {1, 2, 3}) {
      SCOPED_TRACE(arguments[0] + (arguments.size() > 1 ? " " + arguments[1] : "") + ", streams " +
                   std::to_string(appended));
      writeFile(path("handling.cfg"), originalFile());
      RunOptions options = kAnswersThatWouldEdit;
      options.limits.appendOutputTo = path("handling.cfg");
      options.limits.appended = appended;
      const RunResult result = run(withArguments(arguments), options);
      EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
      EXPECT_EQ(result.exitStatus, 1);
      EXPECT_EQ(appended == 1   ? result.err
                : appended == 2 ? result.out
                                : "",
                appended == 3 ? "" : reported(refused));
      EXPECT_FALSE(exists("temp.cfg"));
    }
  }
  // The handling.cfg of the folder that -C goes to.
  RunOptions options{{{"", nullptr, ""}}};
  options.limits.appendOutputTo = path("handling.cfg");
  options.limits.appended = 1;
  const RunResult elsewhere =
      runProgram(withArguments({"-C", "game", "list"}), root_.string(), root_.string(), options);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
  EXPECT_EQ(elsewhere.exitStatus, 1);
}

// An edit that changes no value writes nothing: handling.cfg keeps every byte and its time of
// last write, and one line says so.
TEST_F(EditorTest, EditThatChangesNothingWritesNothing) {
  const std::string rhinoStinger = fileWithLine(
      7, written("STINGER", "1300.0 2.2 4.8 1.3 0.0 0.0 -0.2 75 1.0",
                 "0.9 0.5 5 200.0 28.0 R P 10.0 0.5 0 32.0 1.4 0.1 0.3 0.09 80000 0.3 -0.1 0.5 0.3",
                 "2004", "1 1"));
  const struct {
    std::vector<std::string> arguments;
    std::string file;
  } cases[] = {
      {{"set", "BIKE", "R=12.0", "ag=0"}, originalFile()},
      {{"preset", "rhino", "STINGER"}, rhinoStinger},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    writeFile(path("handling.cfg"), c.file);
    const auto lastWrite = fs::last_write_time(path("handling.cfg")) - std::chrono::hours(1);
    fs::last_write_time(path("handling.cfg"), lastWrite);
    const RunResult result = run(withArguments(c.arguments), kAnswersThatWouldEdit);
    EXPECT_EQ(result.out, "handling.cfg: no value changes, so it was not written\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFile(path("handling.cfg")), c.file);
    EXPECT_TRUE(fs::last_write_time(path("handling.cfg")) == lastWrite);
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

// An edit that could not be made says so in one report on standard error; standard output, which
// a script may log, tells of no change.
TEST_F(EditorTest, FailedEditPrintsNothingOnStandardOutput) {
  fs::create_directory(path("temp.cfg"));
  const RunResult result = run(withArguments({"set", "INFERNUS", "R=2.5"}), kAnswersThatWouldEdit);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("vehicle-editor: could not create temp.cfg: ", 0), 0u) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
  fs::remove(path("temp.cfg"));
  fs::remove(path("handling.cfg"));
  const RunResult missing = run(withArguments({"preset", "rhino", "TANK"}), kAnswersThatWouldEdit);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err.rfind("vehicle-editor: could not open handling.cfg in ", 0), 0u)
      << missing.err;
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_FALSE(exists("temp.cfg"));
}

// apply: the edits of many vehicles, from standard input or a file, in one replacement; a line
// refused, by its words or by the file, changes nothing at all.
TEST_F(EditorTest, ApplyWritesAllOrNothing) {
  const std::string rhinoStinger =
      written("STINGER", "1300.0 2.2 4.8 1.3 0.0 0.0 -0.2 75 1.0",
              "0.9 0.5 5 200.0 28.0 R P 10.0 0.5 0 32.0 1.4 0.1 0.3 0.09 80000 0.3 -0.1 0.5 0.3",
              "2004", "1 1");
  std::string both;
  for (std::size_t i = 0; i < kLines.size(); ++i)
    both += (i == 3 ? kInfernusBrakes : i == 7 ? rhinoStinger : kLines[i]) + "\r\n";
  const std::string fourGoodLines =
      "# brakes first\nINFERNUS R=1.0\n\nSTINGER preset rhino\n  INFERNUS\tR=2.5 B=1100.0\r\n";
  const struct {
    const char* name;
    std::string input;
    std::string out;
    std::string err;
    int exitStatus;
    std::string after;
  } cases[] = {
      {"four good lines, the last without a line end",
       fourGoodLines.substr(0, fourGoodLines.size() - 2),
       "INFERNUS: fBrakeDeceleration 9.0 -> 1.0\nSTINGER: fCollisionDamageMultiplier 0.3 -> 0.09\n"
       "INFERNUS: fBrakeDeceleration 1.0 -> 2.5\nINFERNUS: fMass 1100.0 -> 1100.0 (unchanged)\n",
       "", 0, both},
      {"a fifth line with a vehicle the file lacks", fourGoodLines + "NOSUCHCAR R=1.0\n", "",
       "vehicle-editor: <stdin>:6: no vehicle line of handling.cfg begins with \"NOSUCHCAR\".\n", 2,
       originalFile()},
      {"a fifth line with a decimal comma", fourGoodLines + "TANK R=2,5\n", "",
       "vehicle-editor: <stdin>:6: R=2,5 writes a decimal with a comma, which the game may crash "
       "on: write R=2.5, or give --force to keep it.\n",
       2, originalFile()},
      {"a fifth line with a preset the editor lacks", fourGoodLines + "TANK preset fast\n", "",
       "vehicle-editor: <stdin>:6: unknown preset \"fast\"; the presets are supercar, superbike "
       "and rhino.\n",
       2, originalFile()},
      // A line whose values stay as they are is not written anew.
      {"one line changes, one does not", "INFERNUS R=2.5\nBIKE R=12.0 B=400.0\n",
       "INFERNUS: fBrakeDeceleration 9.0 -> 2.5\nBIKE: fBrakeDeceleration 12.0 -> 12.0 "
       "(unchanged)\nBIKE: fMass 400.0 -> 400.0 (unchanged)\n",
       "", 0, fileWithLine(3, kInfernusBrakes)},
      {"nothing to do", "# nothing\n\n", "handling.cfg: no value changes, so it was not written\n",
       "", 0, originalFile()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(path("handling.cfg"), originalFile());
    const RunResult result = run(withArguments({"apply"}), RunOptions{{{"", nullptr, c.input}}});
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(readFile(path("handling.cfg")), c.after);
    EXPECT_FALSE(exists("temp.cfg"));
  }
  // From a file, with its name in the report.
  writeFile(path("edits.txt"), "INFERNUS R=2.5\nSTINGER preset rhino\nBIKE\n");
  const RunResult fromFile = run(withArguments({"apply", "edits.txt"}), kAnswersThatWouldEdit);
  EXPECT_EQ(fromFile.err,
            "vehicle-editor: edits.txt:3: the NAME \"BIKE\" needs CODE=VALUE, or preset and the "
            "preset's name.\n");
  EXPECT_EQ(fromFile.exitStatus, 2);
  EXPECT_EQ(readFile(path("handling.cfg")), originalFile());
  writeFile(path("edits.txt"), "INFERNUS R=2.5\nSTINGER preset rhino\n");
  const RunResult done = run(withArguments({"apply", "edits.txt"}), kAnswersThatWouldEdit);
  EXPECT_EQ(done.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), both);
  // A folder in place of the file.
  const RunResult folder = run(withArguments({"apply", "."}), kAnswersThatWouldEdit);
  EXPECT_EQ(folder.err.rfind("vehicle-editor: could not read \".\": ", 0), 0u) << folder.err;
  EXPECT_EQ(folder.err.find("Success"), std::string::npos) << folder.err;
  EXPECT_EQ(folder.exitStatus, 1);
}

// -C FOLDER: any command, or the menus, in that folder, as if started there.
TEST_F(EditorTest, FolderGivenWithC) {
  const auto fromRoot = [&](const std::vector<std::string>& arguments, const std::string& input) {
    return runProgram(withArguments(arguments), root_.string(), root_.string(),
                      RunOptions{{{"", nullptr, input}}});
  };
  const RunResult set = fromRoot({"-C", "game", "set", "INFERNUS", "R=2.5"}, "");
  EXPECT_EQ(foldCrLf(set.out), "INFERNUS: fBrakeDeceleration 9.0 -> 2.5\n");
  EXPECT_EQ(set.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  writeFile(path("handling.cfg"), originalFile());
  const RunResult menus = fromRoot({"-C", "game"}, "1 INFERNUS R 2.5 0 0\n");
  EXPECT_EQ(menus.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  const RunResult get = fromRoot({"-C", "nowhere", "-C", "..", "get", "BIKE", "R"}, "");
  EXPECT_EQ(get.out, "");
  EXPECT_EQ(foldCrLf(get.err).rfind("vehicle-editor: could not go to the folder \"nowhere\": ", 0),
            0u)
      << get.err;
  EXPECT_EQ(get.exitStatus, 1);
  const RunResult intoFile = fromRoot({"-C", "game/handling.cfg", "list"}, "");
  EXPECT_EQ(intoFile.exitStatus, 1);
  EXPECT_EQ(intoFile.out, "");
  // A folder without handling.cfg: the command says which folder it looked in.
  const RunResult empty = fromRoot({"-C", ".", "list"}, "");
  EXPECT_EQ(foldCrLf(empty.err).rfind("vehicle-editor: could not open handling.cfg in ", 0), 0u)
      << empty.err;
  EXPECT_EQ(empty.exitStatus, 1);
  EXPECT_FALSE(fs::exists(root_ / "temp.cfg"));
}

// The sample handling.cfg that comes with the editor has nothing for check to report.
TEST_F(EditorTest, TheSamplePassesCheck) {
  writeFile(path("handling.cfg"), readFile(VEHICLE_EDITOR_SAMPLE));
  const RunResult result = run(withArguments({"check"}), kAnswersThatWouldEdit);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exitStatus, 0);
}

// set writes exactly the file that the menus write for the same values: both runs start from the
// same file, and the files they leave are compared byte for byte, with their permission bits.
TEST_F(EditorTest, SetWritesWhatTheMenusWrite) {
  writeFile(path("handling.cfg"), originalFile());
  const RunResult menus = run("1 STINGER B 1,5 1 X 0.10 1 ag 0.50 1 R 10.0 0 0\n");
  EXPECT_EQ(menus.exitStatus, 0);
  const std::string byMenus = folderState(root_ / "game");
  writeFile(path("handling.cfg"), originalFile());
  const RunResult command =
      run(withArguments({"set", "--force", "STINGER", "B=1,5", "X=0.10", "ag=0.50", "R=10.0"}),
          kAnswersThatWouldEdit);
  EXPECT_EQ(command.out,
            "STINGER: fMass 1300.0 -> 1,5\nSTINGER: fSeatOffsetDistance 0.3 -> 0.10\n"
            "STINGER: rear lights 1 -> 0.50\nSTINGER: fBrakeDeceleration 10.0 -> 10.0 "
            "(unchanged)\n");
  EXPECT_EQ(command.err, "");
  EXPECT_EQ(command.exitStatus, 0);
  EXPECT_EQ(folderState(root_ / "game"), byMenus);
  EXPECT_NE(readFile(path("handling.cfg")), originalFile());
}

// The path of a handling.cfg as the only argument, as Windows passes a file dropped on the
// program: the menus edit that file, not one in the folder the editor was started in.
TEST_F(EditorTest, DroppedHandlingFile) {
  writeFile((root_ / "handling.cfg").string(), "INFERNUS in the starting folder\r\n");
  // Windows names the file in any case, with its own separators.
  const std::string dropped = underWine() ? "Z:" + (root_ / "game" / "HANDLING.CFG").string()
                                          : (root_ / "game" / "handling.cfg").string();
  std::string argument = dropped;
  if (underWine()) std::replace(argument.begin(), argument.end(), '/', '\\');
  const RunResult result = runProgram(withArguments({argument}), root_.string(), root_.string(),
                                      RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0 0\n"}}});
  EXPECT_EQ(foldCrLf(result.out), kFirstMenu + kAskManual + kVehicle + kValueIntro + kValue +
                                      changing("fBrakeDeceleration", "9.0") + kAfterEditMenu +
                                      kChoice + kFinalMenu + kChoice + kDone);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(readFile(path("handling.cfg")), fileWithLine(3, kInfernusBrakes));
  EXPECT_FALSE(exists("temp.cfg"));
  EXPECT_EQ(readFile((root_ / "handling.cfg").string()), "INFERNUS in the starting folder\r\n");
  EXPECT_FALSE(fs::exists(root_ / "temp.cfg"));
}

// undo puts handling.cfg.bak back and keeps the file it replaces as the backup, so that a second
// undo redoes; it prints each value it changes back, as set does. Without a backup it says so.
TEST_F(EditorTest, Undo) {
  const std::string edited = fileWithLine(3, kInfernusBrakes);
  std::string folder = path("");
  folder.pop_back();
  if (underWine()) {
    std::replace(folder.begin(), folder.end(), '/', '\\');
    folder = "Z:" + folder;
  }
  const std::string noBackup = "vehicle-editor: there is no handling.cfg.bak in " + folder +
                               " to put back; handling.cfg was not changed.\n";
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::string out;
    std::string err;
    int exitStatus;
    std::string handlingAfter;
    std::string backupAfter;  // empty: there is none
  } steps[] = {
      {"undo before any edit", {"undo"}, "", noBackup, 1, originalFile(), ""},
      {"undo --dry-run before any edit",
       {"undo", "--dry-run"},
       "",
       noBackup,
       1,
       originalFile(),
       ""},
      {"an edit",
       {"set", "INFERNUS", "R=2.5"},
       "INFERNUS: fBrakeDeceleration 9.0 -> 2.5\n",
       "",
       0,
       edited,
       originalFile()},
      {"undo --dry-run",
       {"undo", "--dry-run"},
       "dry run: INFERNUS: fBrakeDeceleration 2.5 -> 9.0\n",
       "",
       0,
       edited,
       originalFile()},
      {"undo",
       {"undo"},
       "INFERNUS: fBrakeDeceleration 2.5 -> 9.0\n",
       "",
       0,
       originalFile(),
       edited},
      {"undo again, which redoes",
       {"undo"},
       "INFERNUS: fBrakeDeceleration 9.0 -> 2.5\n",
       "",
       0,
       edited,
       originalFile()},
      {"undo takes no more words",
       {"undo", "INFERNUS"},
       "",
       usage("undo takes nothing more, but got \"INFERNUS\""),
       2,
       edited,
       originalFile()},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    const RunResult result = run(withArguments(step.arguments), kAnswersThatWouldEdit);
    EXPECT_EQ(result.out, step.out);
    EXPECT_EQ(result.err, reported(step.err));
    EXPECT_EQ(result.exitStatus, step.exitStatus);
    EXPECT_EQ(readFile(path("handling.cfg")), step.handlingAfter);
    EXPECT_EQ(exists("handling.cfg.bak"), !step.backupAfter.empty());
    if (!step.backupAfter.empty()) {
      EXPECT_EQ(readFile(path("handling.cfg.bak")), step.backupAfter);
    }
    EXPECT_FALSE(exists("temp.cfg"));
  }
}

// An edit that an earlier run kept because it could not replace handling.cfg is named, with how
// to put it in place, before the first prompt of every run that edits; never by one that only
// looks.
TEST_F(EditorTest, WaitingEditIsNamedBeforeTheFirstPrompt) {
  const struct {
    const char* name;
    std::vector<std::string> kept;
    std::vector<std::string> arguments;
    std::string note;
  } cases[] = {
      {"the menus", {"handling.cfg.new"}, {}, waitingEdits("handling.cfg.new", true)},
      {"set, with a numbered one",
       {"handling.cfg.new.7"},
       {"set", "RUMPO", "B=1"},
       waitingEdits("handling.cfg.new.7", true)},
      {"five",
       {"handling.cfg.new", "handling.cfg.new.2", "handling.cfg.new.3", "handling.cfg.new.4",
        "handling.cfg.new.999"},
       {"undo"},
       waitingEdits("handling.cfg.new, handling.cfg.new.2, handling.cfg.new.3 and 2 more", false)},
      {"a folder of that name is no edit", {}, {}, ""},
      {"list only looks", {"handling.cfg.new"}, {"list"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const fs::directory_entry& entry : fs::directory_iterator(root_ / "game"))
      fs::remove_all(entry.path());
    writeFile(path("handling.cfg"), originalFile());
    writeFile(path("handling.cfg.bak"), originalFile());
    fs::create_directory(path("handling.cfg.new.5"));
    for (const std::string& name : c.kept)
      writeFile(path(name), "a kept edit\r\n");
    RunOptions options{{{"", nullptr, "0\n"}}};
    // Both streams into one file, in the order written.
    options.limits.appendOutputTo = (root_ / "console.txt").string();
    writeFile((root_ / "console.txt").string(), "");
    run(withArguments(c.arguments), options);
    const std::string console = foldCrLf(readFile((root_ / "console.txt").string()));
    const std::string note = reported(c.note);
    EXPECT_EQ(console.substr(0, note.size()), note);
    // Said once, and only where there is something to say.
    EXPECT_EQ(console.find("earlier edit", note.size()), std::string::npos);
  }
}

// handling.cfg.bak dropped on the program: what putting it back changes, then a prompt; only
// "yes" puts it back, as undo does.
TEST_F(EditorTest, DroppedBackupFile) {
  const std::string edited = fileWithLine(3, kInfernusBrakes);
  const std::string dropped = underWine() ? "Z:" + (root_ / "game" / "HANDLING.CFG.BAK").string()
                                          : (root_ / "game" / "handling.cfg.bak").string();
  std::string argument = dropped;
  if (underWine()) std::replace(argument.begin(), argument.end(), '/', '\\');
  const std::string shown =
      "INFERNUS: fBrakeDeceleration 2.5 -> 9.0\n\nType yes and press "
      "Enter to put handling.cfg.bak back: ";
  const struct {
    const char* input;
    std::string out;
    std::string err;
    int exitStatus;
    bool putBack;
  } cases[] = {
      {"yes\n", shown + kDone, "", 0, true},
      {"y\n", shown + "\nNothing was changed.\n", "", 0, false},
      {"", shown + "\n", kInputEnded, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    writeFile(path("handling.cfg"), edited);
    writeFile(path("handling.cfg.bak"), originalFile());
    RunResult result = runProgram(withArguments({argument}), root_.string(), root_.string(),
                                  RunOptions{{{"", nullptr, c.input}}});
    EXPECT_EQ(foldCrLf(result.out), c.out);
    EXPECT_EQ(foldCrLf(result.err), c.err);
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(readFile(path("handling.cfg")), c.putBack ? originalFile() : edited);
    EXPECT_EQ(readFile(path("handling.cfg.bak")), c.putBack ? edited : originalFile());
    EXPECT_FALSE(exists("temp.cfg"));
  }
}
