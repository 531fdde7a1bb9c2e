#include "handling/record_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(RecordLine, FixedSeparators) {
  HandlingRecord fields;
  fields[0] = "ID";
  for (std::size_t index = 1; index < kFieldCount; ++index)
    fields[index] = std::to_string(index);
  EXPECT_EQ(buildRecordLine(fields),
            "ID         1 2 3 4 5 6 7 8 9  10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 "
            "28 29                            30                31 32");
}

TEST(RecordLine, EmptyFieldsLeaveTheirSeparators) {
  HandlingRecord fields;
  EXPECT_EQ(buildRecordLine(fields), std::string(83, ' '));
  fields[0] = "CAR";
  fields[1] = "1.0";
  EXPECT_EQ(buildRecordLine(fields), "CAR         1.0" + std::string(74, ' '));
}
