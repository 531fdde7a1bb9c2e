#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A 64-bit checksum of a run of bytes fed in pieces of any size: the same bytes give the same
// value however they are cut. It takes eight bytes at a time on four independent lanes, so it
// keeps pace with the disk; it tells apart files that differ by accident or by another program's
// writes, not files made to collide on purpose.
class Checksum {
 public:
  void add(std::string_view bytes);
  // The value of everything added so far; more may still be added after.
  std::uint64_t value() const;
  std::uint64_t size() const { return size_; }

 private:
  static constexpr std::size_t kBlock = 32;

  void addBlock(const unsigned char* block);

  std::uint64_t lanes_[4] = {0x60ea27eeadc0b5d6u, 0xc2b2ae3d27d4eb4fu, 0, 0x61c8864e7a143579u};
  unsigned char pending_[kBlock] = {};  // the start of a block not yet complete
  std::size_t pendingSize_ = 0;
  std::uint64_t size_ = 0;
};
