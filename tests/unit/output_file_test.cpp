#include "handling/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "temp_dir.h"

// Lines that straddle fills of the buffer, and one larger than the buffer, reach the file whole
// and in order, each with CR LF.
TEST(OutputFile, LinesAcrossAndBeyondTheBuffer) {
  TempDir dir;
  std::string error;
  OutputFile out;
  out.attach(std::fopen(dir.file("out.cfg").c_str(), "wb"));
  ASSERT_TRUE(out.isOpen());
  std::string expected;
  const auto write = [&](const std::string& line) {
    out.writeLine(line);
    expected += line + "\r\n";
  };
  for (int i = 0; i < 3000; ++i)
    write(std::string(997, static_cast<char>('a' + i % 26)));
  write(std::string(OutputFile::kBufferSize * 5 / 2, 'L'));
  write("");
  write("after");
  ASSERT_TRUE(out.finish(&error)) << error;
  EXPECT_EQ(out.bytesWritten(), expected.size());
  EXPECT_TRUE(dir.read("out.cfg") == expected);
}

// An output abandoned by attaching another file, or by its end, closes the file it held and
// writes none of the lines it still buffered; one without a file writes nothing and never
// finishes.
TEST(OutputFile, AbandonedOrWithoutAFile) {
  TempDir dir;
  std::FILE* first = std::fopen(dir.file("first.cfg").c_str(), "wb");
  std::FILE* second = std::fopen(dir.file("second.cfg").c_str(), "wb");
  ASSERT_TRUE(first && second);
  const int firstFd = fileno(first);
  const int secondFd = fileno(second);
  {
    OutputFile out;
    out.attach(first);
    out.writeLine("lost");
    out.attach(second);
    EXPECT_EQ(fcntl(firstFd, F_GETFD), -1);
    out.writeLine("lost too");
  }
  EXPECT_EQ(fcntl(secondFd, F_GETFD), -1);
  EXPECT_EQ(dir.read("first.cfg"), "");
  EXPECT_EQ(dir.read("second.cfg"), "");
  OutputFile none;
  none.writeLine("nowhere");
  EXPECT_EQ(none.bytesWritten(), 0u);
  std::string error;
  EXPECT_FALSE(none.finish(&error));
}
