#include "editing/field_table.h"

#include "handling/handling_record.h"

#include <gtest/gtest.h>

#include <string>

TEST(FieldTable, CodesPickTheirOwnColumn) {
  const struct {
    const char* code;
    std::size_t index;
  } cases[] = {{"B", 1}, {"R", 17}, {"X", 23}, {"Z", 25}, {"aa", 26}, {"ab", 27}, {"ag", 32}};
  for (const auto& c : cases)
    EXPECT_EQ(fieldIndexForCode(c.code), c.index) << c.code;
}

TEST(FieldTable, RefusesEverythingElse) {
  const char* const refused[] = {"", "A", "b", "r", "AB", "Ab", "aA", "ah", "aaa", "B ", "BB", "1"};
  for (const char* word : refused)
    EXPECT_EQ(fieldIndexForCode(word), 0u) << word;
}

TEST(FieldTable, EveryEditableColumnHasOneCode) {
  for (std::size_t index = 1; index < kFieldCount; ++index)
    EXPECT_EQ(fieldIndexForCode(fieldTable[index].code), index) << index;
}

TEST(FieldTable, NamesTheEditorsExamples) {
  EXPECT_STREQ(fieldTable[17].displayName, "fBrakeDeceleration");
  EXPECT_STREQ(fieldTable[27].displayName, "suspension lower limit");
  EXPECT_STREQ(fieldTable[23].displayName, "fSeatOffsetDistance ");
}
