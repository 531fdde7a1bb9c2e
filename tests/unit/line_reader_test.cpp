#include "handling/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "temp_dir.h"

namespace {

std::vector<std::string> readAll(LineReader& reader) {
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(&line))
    lines.emplace_back(line);
  return lines;
}

}  // namespace

TEST(LineReader, LineEnds) {
  using Lines = std::vector<std::string>;
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nbc", {"a", "bc"}},
      {"\n", {""}},
      {"\r\n\r\n", {"", ""}},
      // A CR that no LF follows ends a line too.
      {"a\rb\r\n", {"a", "b"}},
      {"a\r\r\n", {"a", ""}},
      {"a\r", {"a"}},
      {"a\r\r", {"a", ""}},
      {"\r\r\r", {"", "", ""}},
      {"\r", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\n\rb\n", {"a", "", "b"}},
      {std::string("x\0y\n\xff", 5), {std::string("x\0y", 3), "\xff"}},
      {"first line\r\nsecond, longer line\nthird", {"first line", "second, longer line", "third"}},
  };
  TempDir dir;
  // Small buffers make lines span several fills of the buffer.
  for (std::size_t bufferSize : {1u, 2u, 3u, 7u, 1u << 18}) {
    for (const auto& c : cases) {
      const std::string path = dir.write("in.cfg", c.bytes);
      LineReader reader(bufferSize);
      reader.attach(platform::openForReading(path.c_str()));
      ASSERT_TRUE(reader.isOpen());
      EXPECT_EQ(readAll(reader), c.lines) << "buffer " << bufferSize << ": " << c.bytes;
      EXPECT_FALSE(reader.failed());
    }
  }
}

// How each line ended, as the check of the file reports a CR alone.
TEST(LineReader, TellsHowEachLineEnded) {
  using Ends = std::vector<LineEnd>;
  const struct {
    std::string bytes;
    Ends ends;
  } cases[] = {
      {"a\nb\r\nc\rd", {LineEnd::lf, LineEnd::crLf, LineEnd::cr, LineEnd::none}},
      {"\r\r\n", {LineEnd::cr, LineEnd::crLf}},
      {"a\r", {LineEnd::cr}},
  };
  TempDir dir;
  for (std::size_t bufferSize : {1u, 2u, 3u, 1u << 18}) {
    for (const auto& c : cases) {
      const std::string path = dir.write("in.cfg", c.bytes);
      LineReader reader(bufferSize);
      reader.attach(platform::openForReading(path.c_str()));
      Ends ends;
      std::string_view line;
      while (reader.next(&line))
        ends.push_back(reader.lineEnd());
      EXPECT_EQ(ends, c.ends) << "buffer " << bufferSize << ": " << c.bytes;
    }
  }
}

TEST(LineReader, RewindStartsOver) {
  TempDir dir;
  const std::string path = dir.write("in.cfg", "one\r\ntwo\r\nthree");
  LineReader reader(4);
  reader.attach(platform::openForReading(path.c_str()));
  std::string_view line;
  ASSERT_TRUE(reader.next(&line));
  ASSERT_TRUE(reader.next(&line));
  ASSERT_TRUE(reader.rewind());
  EXPECT_EQ(readAll(reader), (std::vector<std::string>{"one", "two", "three"}));
  ASSERT_TRUE(reader.rewind());
  EXPECT_EQ(readAll(reader).size(), 3u);
}

TEST(LineReader, RefusesWhatIsNoRegularFile) {
  TempDir dir;
  EXPECT_EQ(platform::openForReading(dir.file("missing.cfg").c_str()), nullptr);
  EXPECT_EQ(platform::openForReading(dir.file("").c_str()), nullptr);
}
