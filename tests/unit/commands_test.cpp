#include "flow/commands.h"

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
