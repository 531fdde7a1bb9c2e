#include "handling/output_file.h"

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
