#include "commands/undo.h"

#include <gtest/gtest.h>

#include <string>

// What putting the backup back shows: per vehicle the values it changes back, other differences
// by line, vehicles only one file has, and differences in the line ends alone.
TEST(DescribeUndo, EachKindOfDifference) {
  const std::string infernus = "INFERNUS 1100.0 2.0 4.4 1.2 0.0 0.0 -0.3 70 0.9 0.8 0.5 5 220.0";
  const std::string braked =
      "INFERNUS 1100.0 2.0 4.4 1.2 0.0 0.0 -0.3 70 0.9 0.8 0.5 5 220.0 "
      "30.0 4 P 2.5";
  const std::string unbraked =
      "INFERNUS 1100.0 2.0 4.4 1.2 0.0 0.0 -0.3 70 0.9 0.8 0.5 5 220.0 "
      "30.0 4 P 8.9";
  const struct {
    const char* name;
    std::string current;
    std::string restored;
    std::string expected;
  } cases[] = {
      {"the same bytes", "A 1\r\n", "A 1\r\n", "handling.cfg.bak is the same as handling.cfg\n"},
      {"a value", "; x\r\n" + braked + "\r\n", "; x\r\n" + unbraked + "\r\n",
       "INFERNUS: fBrakeDeceleration 2.5 -> 8.9\n"},
      {"two values, in column order", "A 1 2 3\r\n", "A 1 5 \"\"\r\n",
       "A: Dimensions.x 2 -> 5\nA: Dimensions.y 3 -> \"\"\n"},
      {"the spacing alone", infernus + "\r\n",
       "INFERNUS   1100.0\t2.0 4.4 1.2 0.0 0.0 -0.3 70 "
       "0.9 0.8 0.5 5 220.0\r\n",
       "line 1 (INFERNUS) differs otherwise\n"},
      {"a marker line", "; old\r\nA 1\r\n", "; new\r\nA 1\r\n", "line 1 differs otherwise\n"},
      {"a line of blanks alone", "A 1\r\n  \r\n", "A 1\r\n \t\r\n", "line 2 differs otherwise\n"},
      {"a line of another vehicle", "A 1\r\n", "B 1\r\n", "line 1 (B) differs otherwise\n"},
      {"a vehicle only in the backup", "A 1\r\n", "A 1\r\nB 2\r\n",
       "B: only in handling.cfg.bak\nhandling.cfg has 1 lines, handling.cfg.bak 2\n"},
      {"a vehicle not in the backup, and a value", "A 1\r\nB 2\r\n", "A 3\r\n",
       "A: fMass 1 -> 3\nB: not in handling.cfg.bak\nhandling.cfg has 2 lines, "
       "handling.cfg.bak 1\n"},
      {"a vehicle twice, both lines the same", "A 1\r\n", "A 1\r\nB 2\r\nB 2\r\n",
       "B: only in handling.cfg.bak\nhandling.cfg has 1 lines, handling.cfg.bak 3\n"},
      {"the line ends alone", "A 1\r\nB 2", "A 1\nB 2\n",
       "handling.cfg.bak differs only in its line ends or byte-order mark\n"},
      {"a byte-order mark",
       "\xEF\xBB\xBF"
       "A 1\r\n",
       "A 1\r\n", "handling.cfg.bak differs only in its line ends or byte-order mark\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(describeUndo(c.current, c.restored), c.expected) << c.name;
}
