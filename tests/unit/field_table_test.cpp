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

// The kinds chosen for the columns whose values are not decimal numbers.
TEST(FieldTable, ColumnKinds) {
  const struct {
    const char* code;
    ValueKind kind;
  } cases[] = {
      {"B", ValueKind::decimal},   {"I", ValueKind::whole},      {"M", ValueKind::whole},
      {"P", ValueKind::driveType}, {"Q", ValueKind::engineType}, {"R", ValueKind::decimal},
      {"T", ValueKind::onOff},     {"Z", ValueKind::whole},      {"ab", ValueKind::decimal},
      {"ae", ValueKind::hexFlags}, {"af", ValueKind::whole},     {"ag", ValueKind::whole}};
  for (const auto& c : cases)
    EXPECT_EQ(fieldTable[fieldIndexForCode(c.code)].kind, c.kind) << c.code;
}

TEST(ValueKinds, WhatFitsAndWhatDoesNot) {
  const struct {
    ValueKind kind;
    const char* value;
    bool fits;
  } cases[] = {
      {ValueKind::decimal, "2.5", true},       {ValueKind::decimal, "-0.15", true},
      {ValueKind::decimal, "70", true},        {ValueKind::decimal, "5.", true},
      {ValueKind::decimal, ".5", true},        {ValueKind::decimal, "2,5", false},
      {ValueKind::decimal, ".", false},        {ValueKind::decimal, "-", false},
      {ValueKind::decimal, "1.2.3", false},    {ValueKind::decimal, "=2.5", false},
      {ValueKind::decimal, "abc", false},      {ValueKind::decimal, "2.5x", false},
      {ValueKind::decimal, "--1", false},      {ValueKind::decimal, "", false},
      {ValueKind::whole, "5", true},           {ValueKind::whole, "-3", true},
      {ValueKind::whole, "2147483647", true},  {ValueKind::whole, "-2147483648", true},
      {ValueKind::whole, "2147483648", false}, {ValueKind::whole, "99999999999999999999", false},
      {ValueKind::whole, "5.0", false},        {ValueKind::whole, "", false},
      {ValueKind::whole, "-", false},          {ValueKind::driveType, "F", true},
      {ValueKind::driveType, "R", true},       {ValueKind::driveType, "4", true},
      {ValueKind::driveType, "f", false},      {ValueKind::driveType, "FR", false},
      {ValueKind::engineType, "P", true},      {ValueKind::engineType, "D", true},
      {ValueKind::engineType, "E", true},      {ValueKind::engineType, "F", false},
      {ValueKind::onOff, "0", true},           {ValueKind::onOff, "1", true},
      {ValueKind::onOff, "2", false},          {ValueKind::onOff, "01", false},
      {ValueKind::hexFlags, "2CD7", true},     {ValueKind::hexFlags, "1000001", true},
      {ValueKind::hexFlags, "ffffffff", true}, {ValueKind::hexFlags, "123456789", false},
      {ValueKind::hexFlags, "3G", false},      {ValueKind::hexFlags, "", false},
      {ValueKind::hexFlags, "0x20", false},    {ValueKind::name, "RUMPO", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fitsKind(c.kind, c.value), c.fits) << static_cast<int>(c.kind) << " " << c.value;
}

// The advice is the number meant, or nothing: never a rewrite that changes the number.
TEST(ValueKinds, NumberMeant) {
  const struct {
    ValueKind kind;
    const char* value;
    const char* meant;
  } cases[] = {
      {ValueKind::decimal, "2,5", "2.5"},     {ValueKind::decimal, "-0,15", "-0.15"},
      {ValueKind::decimal, "0,150", "0.150"}, {ValueKind::decimal, "12,5000", "12.5000"},
      {ValueKind::decimal, "1,100", ""},      {ValueKind::decimal, "1,100.5", ""},
      {ValueKind::decimal, "1,2,3", ""},      {ValueKind::decimal, "a,b", ""},
      {ValueKind::decimal, "=2.5", ""},       {ValueKind::whole, "2,5", ""},
      {ValueKind::hexFlags, "2,5", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(numberMeant(c.kind, c.value), c.meant) << c.value;
}

TEST(ValueKinds, LongTextsAreCutShort) {
  EXPECT_EQ(quotedValue("2,5"), "\"2,5\"");
  EXPECT_EQ(quotedValue(std::string(24, 'x')), "\"" + std::string(24, 'x') + "\"");
  EXPECT_EQ(quotedValue(std::string(25, 'x')), "\"" + std::string(24, 'x') + "\"...");
  EXPECT_EQ(cutShort(std::string(25, 'x')), std::string(24, 'x') + "...");
}
