#include "flow/commands.h"
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
