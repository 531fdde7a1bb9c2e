#include "handling/line_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "handling/record_line.h"

namespace {

// The first fields of the split, then checks that the rest are empty.
void expectFields(const std::string& line, const std::vector<std::string>& expected) {
  const HandlingRecord fields = splitFields(line);
  for (std::size_t index = 0; index < kFieldCount; ++index) {
    const std::string want = index < expected.size() ? expected[index] : "";
    EXPECT_EQ(fields[index], want) << "field " << index << " of \"" << line << "\"";
  }
}

}  // namespace

TEST(SplitFields, SeparatorsAndFieldText) {
  const struct {
    std::string line;
    std::vector<std::string> fields;
  } cases[] = {
      {"", {}},
      {" \t\v\f\r ", {}},
      {"  \tRUMPO 1.0", {"RUMPO", "1.0"}},
      {"A \t \t B\tC", {"A", "B", "C"}},
      {"CAR 1,5 0.50 ;x y;", {"CAR", "1,5", "0.50", ";x", "y;"}},
      {"CAR 2.0\r", {"CAR", "2.0"}},
      {std::string("N\0UL \x80\xff", 7), {std::string("N\0UL", 4), "\x80\xff"}},
  };
  for (const auto& c : cases)
    expectFields(c.line, c.fields);
}

TEST(SplitFields, KeepsOnlyTheFirst33) {
  std::string line;
  std::vector<std::string> first;
  for (int column = 0; column < 40; ++column) {
    line += "v" + std::to_string(column) + " ";
    if (column < 33) first.push_back("v" + std::to_string(column));
  }
  expectFields(line, first);
}

TEST(SplitFields, RoundTripsARecordLine) {
  HandlingRecord fields;
  for (std::size_t index = 0; index < kFieldCount; ++index)
    fields[index] = "f" + std::to_string(index) + (index % 3 ? "\x90" : ";,.");
  EXPECT_EQ(splitFields(buildRecordLine(fields)), fields);
}

TEST(SplitFields, TailAfterThe33rdField) {
  std::string fields33 = "ID";
  for (int column = 1; column <= 32; ++column)
    fields33 += " " + std::to_string(column);
  const struct {
    std::string line;
    std::string tail;
  } cases[] = {
      {"ID 1 2 3", ""},
      {fields33, ""},
      {fields33 + " \t\r ", ""},
      {fields33 + " 33", " 33"},
      {fields33 + "\t 33  34 \t; spare wheel\r ", "\t 33  34 \t; spare wheel\r "},
      {"\t" + fields33 + "\v\f;", "\v\f;"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tailAfterFields(c.line), c.tail) << "\"" << c.line << "\"";
}
