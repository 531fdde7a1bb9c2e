#include "commands/batch.h"
#include "commands/closest_names.h"
#include "commands/parser.h"
#include "flow/run_end.h"
#include "handling/exact_lookup.h"
#include "handling/vehicle_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ClosestNames, CaseFirstThenNearestInFileOrderAtMostThree) {
  ClosestNames closest("INFERNUS");
  for (const char* name :
       {"BANSHEE", "INFERNO", "INFERNUSX", "infernus", "infernus", "NFERNUS", "INFERN", "Infernus"})
    closest.consider(name);
  EXPECT_EQ(closest.best(), (std::vector<std::string>{"infernus", "Infernus", "INFERNUSX"}));
}

// Two edits away is near enough, three is not.
TEST(ClosestNames, TwoEditsAwayButNotThree) {
  ClosestNames closest("INFERNUS");
  for (const char* name : {"INFERNO", "INFERN", "INFERNUSES", "INFERNOSES", "NFERN"})
    closest.consider(name);
  EXPECT_EQ(closest.best(), (std::vector<std::string>{"INFERNO", "INFERN", "INFERNUSES"}));
}

// Two edits away is near enough, three is not; a name too long to compare edit by edit is
// suggested only in another letter case.
TEST(ClosestNames, UpToTwoEditsAndLongNamesByCaseAlone) {
  ClosestNames closest("BIKE");
  for (const char* name : {"BIKEXYZ", "BIKEXY"})
    closest.consider(name);
  EXPECT_EQ(closest.best(), (std::vector<std::string>{"BIKEXY"}));
  const std::string longName(70, 'A');
  ClosestNames longOne(longName);
  longOne.consider(std::string(69, 'A') + "B");
  longOne.consider(std::string(70, 'a'));
  EXPECT_EQ(longOne.best(), (std::vector<std::string>{std::string(70, 'a')}));
}

TEST(ClosestNames, NothingForANameThatSharesNothing) {
  ClosestNames closest("X");
  for (const char* name : {"Y", "BIKE", "XYZW"})
    closest.consider(name);
  EXPECT_TRUE(closest.best().empty());
}

TEST(CommaDecimal, ANumberWithAComma) {
  for (const char* value : {"2,5", "-0,15", ",5", "5,", "+1,0", "1,000.5", "2,5e3", "1,2,3"})
    EXPECT_TRUE(isCommaDecimal(value)) << value;
  for (const char* value : {"2.5", ",", "-,", "a,b", "R"})
    EXPECT_FALSE(isCommaDecimal(value)) << value;
}

namespace {

Command parsed(std::vector<std::string_view> arguments) {
  return parseCommand(arguments, false, "/");
}

// A command line the parser takes, and what it makes of it.
struct Taken {
  std::vector<std::string_view> arguments;
  const char* command;  // the entry's name; nullptr for the menus
  std::string vehicle;
  bool dryRun;
  bool force;
};

const Taken kTaken[] = {
    {{}, nullptr, "", false, false},
    {{"list"}, "list", "", false, false},
    {{"show", "BIKE"}, "show", "BIKE", false, false},
    {{"set", "BIKE", "R=1"}, "set", "BIKE", false, false},
    {{"set", "--dry-run", "BIKE", "R=1"}, "set", "BIKE", true, false},
    {{"set", "BIKE", "R=1,5", "--force"}, "set", "BIKE", false, true},
    {{"set", "--force", "--dry-run", "BIKE", "R=1"}, "set", "BIKE", true, true},
    {{"preset", "rhino", "TANK"}, "preset", "TANK", false, false},
    {{"preset", "rhino", "TANK", "--dry-run"}, "preset", "TANK", true, false},
    {{"get", "TANK", "R"}, "get", "TANK", false, false},
    {{"apply"}, "apply", "", false, false},
    {{"set", "--wait", "0", "BIKE", "R=1"}, "set", "BIKE", false, false},
    {{"preset", "rhino", "TANK", "--wait", "3600"}, "preset", "TANK", false, false},
    {{"apply", "--force", "--dry-run", "edits.txt"}, "apply", "", true, true},
    {{"apply", "-"}, "apply", "", false, false},
    {{"-C", "game", "show", "TANK"}, "show", "TANK", false, false},
    {{"-C", "game", "-C", "sub"}, nullptr, "", false, false},
    // After "--" every argument is a word, one that begins with "-" too.
    {{"show", "--", "-ODD"}, "show", "-ODD", false, false},
    {{"show", "--", "--force"}, "show", "--force", false, false},
    {{"set", "--dry-run", "--", "-ODD", "R=-1"}, "set", "-ODD", true, false},
};

// A command line the parser refuses, and why.
struct Refused {
  std::vector<std::string_view> arguments;
  std::string why;
};

const Refused kRefused[] = {
    {{"lsit"}, "unknown command \"lsit\", and no path of a handling.cfg"},
    {{"list", "--force"}, "--force does not go with list"},
    {{"list", "--dry-run"}, "--dry-run does not go with list"},
    {{"show", "--force", "BIKE"}, "--force does not go with show"},
    {{"show", "--dry-run", "BIKE"}, "--dry-run does not go with show"},
    {{"preset", "--force", "rhino", "TANK"}, "--force does not go with preset"},
    {{"show", "-x", "BIKE"}, "unknown option \"-x\""},
    {{"list", "BIKE"}, "list takes nothing more, but got \"BIKE\""},
    {{"show"}, "show needs the NAME of a vehicle"},
    {{"show", "BIKE", "TANK"}, "show takes one NAME, but got also \"TANK\""},
    {{"show", ""}, "the NAME of the vehicle is empty"},
    {{"show", "BI KE"}, "the NAME \"BI KE\" holds whitespace; it is one word"},
    {{"show\x1b[2J"}, "unknown command \"show?[2J\", and no path of a handling.cfg"},
    {{"set", "BIKE", "\x7fR=1"},
     "unknown code \"?R\" in \"?R=1\"; the codes are B to Z and aa to ag"},
    {{"set", "BIKE"}, "set needs the NAME of a vehicle, then CODE=VALUE"},
    {{"set", "BIKE", "R"}, "\"R\" is no CODE=VALUE, such as R=2.5"},
    {{"set", "BIKE", "R="}, "no VALUE after R="},
    {{"set", "BIKE", "A=1"}, "unknown code \"A\" in \"A=1\"; the codes are B to Z and aa to ag"},
    {{"set", "BIKE", "R=1\t2"}, "the value for R holds whitespace; it is one word"},
    {{"set", "BIKE", "R=1", "R=2"}, "R is given twice"},
    {{"set", "BIKE", "R=1,5"},
     "R=1,5 writes a decimal with a comma, which the game may crash on: write R=1.5, or give "
     "--force to keep it"},
    {{"preset"}, "preset needs supercar, superbike or rhino, then a NAME"},
    {{"preset", "fast", "TANK"},
     "unknown preset \"fast\"; the presets are supercar, superbike and rhino"},
    {{"preset", "rhino"}, "preset needs the NAME of a vehicle after rhino"},
    {{"preset", "rhino", "TANK", "BIKE"}, "preset takes one NAME, but got also \"BIKE\""},
    {{"get", "TANK"}, "get needs the NAME of a vehicle, then a CODE"},
    {{"get", "TANK", "A"}, "unknown code \"A\"; the codes are B to Z and aa to ag"},
    {{"get", "--dry-run", "TANK", "R"}, "--dry-run does not go with get"},
    {{"set", "BIKE", "R=1", "--wait"}, "--wait needs SECONDS"},
    {{"set", "--wait", "3601", "BIKE", "R=1"},
     "--wait takes whole SECONDS from 0 to 3600, not \"3601\""},
    {{"set", "--wait", "-1", "BIKE", "R=1"},
     "--wait takes whole SECONDS from 0 to 3600, not \"-1\""},
    {{"set", "--wait", "", "BIKE", "R=1"}, "--wait takes whole SECONDS from 0 to 3600, not \"\""},
    {{"set", "--wait", "1.5", "BIKE", "R=1"},
     "--wait takes whole SECONDS from 0 to 3600, not \"1.5\""},
    {{"show", "--wait", "1", "BIKE"}, "--wait does not go with show"},
    {{"get", "--wait", "1", "BIKE", "R"}, "--wait does not go with get"},
    {{"list", "--wait", "1"}, "--wait does not go with list"},
    {{"apply", "a", "b"}, "apply takes one FILE, but got also \"b\""},
    {{"apply", ""}, "the FILE of apply is empty"},
    {{"-C"}, "-C needs a FOLDER"},
    {{"-C", ""}, "the FOLDER after -C is empty"},
    {{"list", "-C", "game"}, "unknown option \"-C\""},
    {{"set", "--", "BIKE", "R=1", "--force"}, "\"--force\" is no CODE=VALUE, such as R=2.5"},
};

std::string joined(const std::vector<std::string_view>& arguments) {
  std::string line;
  for (std::string_view argument : arguments)
    line += std::string(argument) + " ";
  return line;
}

}  // namespace

TEST(ParseCommand, TakesEachOptionWithEachCommandThatHasIt) {
  for (const Taken& row : kTaken) {
    const Command command = parsed(row.arguments);
    SCOPED_TRACE(joined(row.arguments));
    ASSERT_FALSE(command.usageError) << command.error;
    if (row.command == nullptr) {
      EXPECT_EQ(command.entry, nullptr);
      continue;
    }
    ASSERT_NE(command.entry, nullptr);
    EXPECT_STREQ(command.entry->name, row.command);
    EXPECT_EQ(command.vehicle, row.vehicle);
    EXPECT_EQ(command.dryRun, row.dryRun);
    EXPECT_EQ(command.force, row.force);
  }
}

TEST(ParseCommand, RefusesWithTheReason) {
  for (const Refused& row : kRefused) {
    const Command command = parsed(row.arguments);
    SCOPED_TRACE(joined(row.arguments));
    EXPECT_TRUE(command.usageError);
    EXPECT_EQ(command.error, row.why);
  }
}

TEST(ParseCommand, SetKeepsTheValuesInOrderAndPresetItsMode) {
  const Command set = parsed({"set", "BIKE", "R=1", "B=2", "ag=0"});
  EXPECT_EQ(set.values,
            (std::vector<std::pair<std::size_t, std::string>>{{17, "1"}, {1, "2"}, {32, "0"}}));
  EXPECT_EQ(parsed({"preset", "superbike", "BIKE"}).presetMode, 3);
  EXPECT_EQ(parsed({"set", "BIKE", "R=1"}).waitSeconds, kDefaultWaitSeconds);
  EXPECT_EQ(parsed({"apply", "--wait", "0012"}).waitSeconds, 12);
}

TEST(ParseCommand, FoldersCodesAndValuesKeepTheirOrder) {
  const Command command = parsed({"-C", "a", "-C", "b", "get", "TANK", "R", "B", "R"});
  EXPECT_EQ(command.folders, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(command.fields, (std::vector<std::size_t>{17, 1, 17}));
  const Command dropped = parsed({"-C", "a", "game/handling.cfg"});
  EXPECT_EQ(dropped.folders, (std::vector<std::string>{"a"}));
  EXPECT_EQ(dropped.droppedFolder, "game");
}

TEST(ParseCommand, APathOfAHandlingFileAlone) {
  const Command dropped = parseCommand({"C:\\game\\HANDLING.CFG"}, true, "\\/:");
  EXPECT_EQ(dropped.droppedPath, "C:\\game\\HANDLING.CFG");
  EXPECT_EQ(dropped.droppedFolder, "C:\\game");
  EXPECT_EQ(parseCommand({"C:handling.cfg"}, true, "\\/:").droppedFolder, "C:");
  EXPECT_EQ(parsed({"/handling.cfg"}).droppedFolder, "/");
  EXPECT_TRUE(parsed({"HANDLING.CFG"}).usageError);
  EXPECT_TRUE(parseCommand({"C:\\game\\handling.cfx"}, true, "\\/:").usageError);
}

// A report is broken to fit a console only on a console; into a file or a pipe it stays one line.
TEST(ReportLines, BrokenOnTheConsoleAloneAndOneLineElsewhere) {
  const std::string report = "vehicle-editor: " + std::string(50, 'x') + " and more words.\n";
  EXPECT_EQ(reportLines(report, false), report);
  EXPECT_EQ(reportLines(report, true),
            "vehicle-editor: " + std::string(50, 'x') + " and more\nwords.\n");
}

// The lines of apply: each refusal names its line; blank lines and comments count as lines.
TEST(ParseEditLines, TakesSetAndPresetLinesAndNamesTheFirstRefused) {
  std::vector<VehicleEdit> edits;
  EXPECT_EQ(parseEditLines("# c\r\n\nA R=1 B=2\r\n\tB preset rhino\nC X=1", "f", false, &edits),
            "");
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_EQ(edits[0].vehicle, "A");
  EXPECT_EQ(edits[0].values,
            (std::vector<std::pair<std::size_t, std::string>>{{17, "1"}, {1, "2"}}));
  EXPECT_EQ(edits[0].where, "f:3: ");
  EXPECT_EQ(edits[1].presetMode, 4);
  EXPECT_EQ(edits[2].where, "f:5: ");
  const struct {
    const char* text;
    const char* why;
  } refused[] = {
      {"A R=1\nB\n", "f:2: the NAME \"B\" needs CODE=VALUE, or preset and the preset's name"},
      {"A preset\n", "f:1: preset needs one of supercar, superbike or rhino, and nothing after it"},
      {"A preset rhino X=1\n",
       "f:1: preset needs one of supercar, superbike or rhino, and nothing after it"},
      {"A preset fast",
       "f:1: unknown preset \"fast\"; the presets are supercar, superbike and rhino"},
      {"\n\nA R=", "f:3: no VALUE after R="},
      {"A R=1,5",
       "f:1: R=1,5 writes a decimal with a comma, which the game may crash on: write "
       "R=1.5, or give --force to keep it"},
  };
  for (const auto& row : refused) {
    std::vector<VehicleEdit> none;
    EXPECT_EQ(parseEditLines(row.text, "f", false, &none), row.why) << row.text;
  }
  std::vector<VehicleEdit> forced;
  EXPECT_EQ(parseEditLines("A R=1,5", "f", true, &forced), "");
}

// The commands' vehicle lines: a comment is none, whether or not blanks come before it.
TEST(VehicleLines, ACommentIsNoneEvenIndented) {
  for (const char* line : {"RUMPO 1 2", "  RUMPO 1", "\tR;", "4 x"})
    EXPECT_TRUE(isVehicleLine(line)) << line;
  for (const char* line : {"", "   ", "; RUMPO", "\t; RUMPO", " $ X", "  &X", "\t\t!BIKE", "!"})
    EXPECT_FALSE(isVehicleLine(line)) << line;
}

TEST(Notes, TheLineTakenAndTheOthersThatBeginWithItsName) {
  SameNameLines none;
  EXPECT_EQ(sameNameNote("RUMPO", 2, none), "");
  SameNameLines one;
  one.add(8);
  EXPECT_EQ(sameNameNote("RUMPO", 2, one), "line 3 is taken; RUMPO also begins line 9");
  SameNameLines three = one;
  three.add(10);
  three.add(11);
  EXPECT_EQ(sameNameNote("RUMPO", 2, three),
            "line 3 is taken; RUMPO also begins lines 9, 11 and 12");
  SameNameLines many = three;
  many.add(20);
  EXPECT_EQ(sameNameNote("RUMPO", 2, many),
            "line 3 is taken; RUMPO also begins 4 other lines, the first of them line 9");
}

TEST(Notes, AWordFoundInsideTheLineTaken) {
  EXPECT_EQ(foundInsideNote("RUMPO", 2, "RUMPO 1 2"), "");
  EXPECT_EQ(foundInsideNote("RUMPO", 2, "  RUMPO 1 2"), "");
  EXPECT_EQ(foundInsideNote("0", 2, "RUMPO 1.0"),
            "\"0\" was found inside line 3, the line of RUMPO");
  EXPECT_EQ(foundInsideNote("BIKE", 0, "DIRTBIKE 1"),
            "\"BIKE\" was found inside line 1, the line of DIRTBIKE");
  EXPECT_EQ(foundInsideNote("INFERNUS", 4, "\t; INFERNUS: brakes"),
            "\"INFERNUS\" was found inside line 5, a line indented before \";\"");
}
