#include "handling/record_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "handling/vehicle_lookup.h"
#include "platform/platform.h"
#include "temp_dir.h"

namespace {

const char* const kFile =
    "; RUMPO in a comment\r\n"
    "$RUMPO marker\r\n"
    "\r\n"
    " ;RUMPOLINE is no marker line\r\n"
    "RUMPO 1.0 2.0\r\n"
    "BIKE 3.0\n"
    "rumpo 4.0";

struct Files {
  TempDir dir;
  LineReader in{5};
  OutputFile out;

  explicit Files(const std::string& bytes) {
    in.attach(platform::openForReading(dir.write("handling.cfg", bytes).c_str()));
    out.attach(std::fopen(dir.file("temp.cfg").c_str(), "wb"));
  }
};

}  // namespace

TEST(FindVehicleLine, FirstNonMarkerLineHoldingTheWord) {
  const struct {
    const char* name;
    bool found;
    const char* line;
    std::size_t number;
  } cases[] = {
      {"RUMPO", true, " ;RUMPOLINE is no marker line", 3},
      {"RUMPO ", true, "RUMPO 1.0 2.0", 4},
      {"3.0", true, "BIKE 3.0", 5},
      {"rumpo", true, "rumpo 4.0", 6},
      {"comment", false, "", 0},
      {"INFERNUS", false, "", 0},
  };
  Files files(kFile);
  for (const auto& c : cases) {
    std::string line;
    std::size_t number = 0;
    EXPECT_EQ(findVehicleLine(files.in, c.name, &line, &number), c.found) << c.name;
    if (!c.found) continue;
    EXPECT_EQ(line, c.line) << c.name;
    EXPECT_EQ(number, c.number) << c.name;
  }
}

// What the lookup leaves for the copy: the line, its place and the checksum of the whole file.
FoundLine lookUp(LineReader& in, const char* name, std::string* line) {
  std::size_t number = 0;
  EXPECT_TRUE(findVehicleLine(in, name, line, &number)) << name;
  EXPECT_TRUE(in.readToEnd());
  return FoundLine{number, *line, in.checksum().value()};
}

TEST(CopyReplacingLine, ReplacesOnlyThatLineAndEndsEveryLineWithCrLf) {
  Files files(kFile);
  std::string line;
  copyReplacingLine(files.in, files.out, lookUp(files.in, "RUMPO ", &line), "NEW LINE");
  std::string error;
  ASSERT_TRUE(files.out.finish(&error)) << error;
  EXPECT_EQ(files.dir.read("temp.cfg"),
            "; RUMPO in a comment\r\n$RUMPO marker\r\n\r\n ;RUMPOLINE is no marker line\r\n"
            "NEW LINE\r\nBIKE 3.0\r\nrumpo 4.0\r\n");
}

TEST(CopyReplacingLine, AMissingLineLeavesTheCopyIncomplete) {
  Files files("ONE\r\nTWO\r\n");
  std::string line;
  FoundLine found = lookUp(files.in, "TWO", &line);
  found.number = 2;
  copyReplacingLine(files.in, files.out, found, "NEW LINE");
  std::string error;
  EXPECT_FALSE(files.out.finish(&error));
  EXPECT_NE(error.find("shorter"), std::string::npos) << error;
}

// A file that is not the one the lookup read, though the line stands where it stood.
TEST(CopyReplacingLine, AnotherLineOrOtherBytesLeaveTheCopyIncomplete) {
  const struct {
    const char* name;
    const char* line;
    bool otherBytes;
  } cases[] = {{"another text on that line", "TWO 2", false}, {"other bytes", "TWO", true}};
  for (const auto& c : cases) {
    Files files("ONE\r\nTWO\r\n");
    std::string line;
    FoundLine found = lookUp(files.in, "TWO", &line);
    found.text = c.line;
    if (c.otherBytes) found.fileChecksum ^= 1;
    copyReplacingLine(files.in, files.out, found, "NEW LINE");
    std::string error;
    EXPECT_FALSE(files.out.finish(&error)) << c.name;
    EXPECT_EQ(error, "another program changed handling.cfg during the editing") << c.name;
  }
}

// Several lines at once, the first and the last among them; one that differs spoils the copy.
TEST(CopyReplacingLines, ReplacesEachGivenLineAndChecksEach) {
  const struct {
    const char* name;
    const char* secondText;
    const char* error;
  } cases[] = {{"as read", "TWO", ""},
               {"the second line changed", "TWO 2",
                "another program changed handling.cfg during the editing"}};
  for (const auto& c : cases) {
    Files files("ONE\r\nTWO\r\nTHREE");
    ASSERT_TRUE(files.in.readToEnd());
    const std::uint64_t checksum = files.in.checksum().value();
    copyReplacingLines(files.in, files.out,
                       {{0, "ONE", "1"}, {1, c.secondText, "2"}, {2, "THREE", "3"}}, checksum);
    std::string error;
    EXPECT_EQ(files.out.finish(&error), *c.error == '\0') << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    if (*c.error == '\0') {
      EXPECT_EQ(files.dir.read("temp.cfg"), "1\r\n2\r\n3\r\n") << c.name;
    }
  }
}
