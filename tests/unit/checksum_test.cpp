#include "handling/checksum.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::uint64_t inPieces(const std::string& bytes, std::size_t piece) {
  Checksum checksum;
  for (std::size_t at = 0; at < bytes.size(); at += piece)
    checksum.add(std::string_view(bytes).substr(at, piece));
  return checksum.value();
}

}  // namespace

// However the bytes are cut, across the 32-byte blocks or not, the value is the same.
TEST(Checksum, TheSameBytesInPiecesOfAnySize) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i)
    bytes += static_cast<char>(i * 7 % 256);
  const std::uint64_t whole = inPieces(bytes, bytes.size());
  for (const std::size_t piece : {1u, 7u, 8u, 31u, 32u, 33u, 100u}) {
    EXPECT_EQ(inPieces(bytes, piece), whole) << piece;
  }
}

// One byte more, one byte other, or the same bytes in another order give another value.
TEST(Checksum, OtherBytesOtherValue) {
  const std::string line = "RUMPO 1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8\r\nINFERNUS 1100.0\r\n";
  const std::string swapped = "INFERNUS 1100.0\r\nRUMPO 1500.0 2.0 5.0 2.2 0.0 0.1 -0.2 80 0.8\r\n";
  std::string oneOther = line;
  oneOther[40] = '9';
  const std::uint64_t value = inPieces(line, line.size());
  for (const std::string& other : {line + '\0', oneOther, swapped, std::string(line.size(), '\0'),
                                   line.substr(0, line.size() - 1)}) {
    EXPECT_NE(inPieces(other, other.size()), value);
  }
  EXPECT_NE(inPieces("", 1), inPieces(std::string(1, '\0'), 1));
}
