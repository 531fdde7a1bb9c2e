#include "commands/check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "temp_dir.h"

namespace {

// A vehicle line whose 32 values fit their columns.
std::string car(const std::string& name) {
  return name +
         " 1400.0 2.5 7.2 1.4 0.0 0.09 -0.24 70 0.82 0.81 0.53 4 170.0 15.2 F D 7.6 0.48 0 32.5 "
         "2.0 0.13 0.29 0.99 38500 0.26 -0.08 0.51 0.4 11E3 2 1";
}

}  // namespace

TEST(Check, EveryProblemOnItsLine) {
  using Findings = std::vector<std::string>;
  std::string badFlags = car("FLAGS");
  badFlags.replace(badFlags.find("11E3"), 4, "0x20");
  const struct {
    std::string bytes;
    Findings findings;
  } cases[] = {
      {"", {}},
      {"; comment\r\n\r\n$ marker 1\r\n" + car("RUMPO") + "\r\n" + car("BIKE"), {}},
      {car("RUMPO") + "\r" + car("BIKE") + "\r",
       {"1: a CR alone ends this line; the game may not take it for a line end",
        "2: a CR alone ends this line; the game may not take it for a line end"}},
      {"\t; RUMPO tuned\r\n  $x\r\n",
       {"1: a line indented before \";\": the menus may take it for a vehicle line",
        "2: a line indented before \"$\": the menus may take it for a vehicle line"}},
      {"SHORT 1.0 2.0\r\n   \r\n", {"1: SHORT has 3 columns; a vehicle line has 33"}},
      {car("RUMPO") + "\n" + car("BIKE") + "\n" + car("RUMPO") + "\n",
       {"3: RUMPO also begins line 1, which the editor takes"}},
      {badFlags,
       {"1: FLAGS: \"0x20\" does not fit flags, which takes hexadecimal flags, 1 to 8 of 0-9 and "
        "A-F, such as 2CD7"}},
      {"COMMA 2,5 1",
       {"1: COMMA has 3 columns; a vehicle line has 33",
        "1: COMMA: \"2,5\" does not fit fMass, which takes a decimal number with a dot, such as "
        "2.5"}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string path = dir.write("handling.cfg", c.bytes);
    LineReader reader(3);
    reader.attach(platform::openForReading(path.c_str()));
    Findings findings;
    EXPECT_TRUE(checkLines(reader, [&](std::size_t line, const std::string& what) {
      findings.push_back(std::to_string(line) + ": " + what);
    }));
    EXPECT_EQ(findings, c.findings) << c.bytes;
  }
}

TEST(Check, Utf16Starts) {
  for (const char* start : {"\xFF\xFE", "\xFE\xFF", "\xFF\xFER\0"})
    EXPECT_TRUE(isUtf16Start(start)) << start;
  for (const char* start : {"", "\xFF", "\xEF\xBB\xBF", "RU", "\xFE"})
    EXPECT_FALSE(isUtf16Start(start)) << start;
}
