#include "handling/checksum.h"

#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9e3779b185ebca87u;
constexpr std::uint64_t kPrime2 = 0xc2b2ae3d27d4eb4fu;
constexpr std::uint64_t kPrime3 = 0x165667b19e3779f9u;
constexpr std::uint64_t kPrime4 = 0x85ebca77c2b2ae63u;
constexpr std::uint64_t kPrime5 = 0x27d4eb2f165667c5u;

std::uint64_t rotateLeft(std::uint64_t value, int bits) {
  return (value << bits) | (value >> (64 - bits));
}

std::uint64_t wordAt(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

std::uint64_t mixWord(std::uint64_t lane, std::uint64_t word) {
  return rotateLeft(lane + word * kPrime2, 31) * kPrime1;
}

std::uint64_t mergeLane(std::uint64_t hash, std::uint64_t lane) {
  return (hash ^ mixWord(0, lane)) * kPrime1 + kPrime4;
}

}  // namespace

// One multiplication a word, off each lane's chain of dependent steps: the lanes only add and
// rotate, so the four run side by side at several bytes a cycle. The lanes are mixed well at
// the end.
std::uint64_t addWord(std::uint64_t lane, std::uint64_t word) {
  return rotateLeft(lane + word * kPrime2, 31);
}

void Checksum::addBlock(const unsigned char* block) {
  lanes_[0] = addWord(lanes_[0], wordAt(block));
  lanes_[1] = addWord(lanes_[1], wordAt(block + 8));
  lanes_[2] = addWord(lanes_[2], wordAt(block + 16));
  lanes_[3] = addWord(lanes_[3], wordAt(block + 24));
}

void Checksum::add(std::string_view bytes) {
  auto data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  size_ += left;
  if (pendingSize_ > 0) {
    const std::size_t taken = left < kBlock - pendingSize_ ? left : kBlock - pendingSize_;
    std::memcpy(pending_ + pendingSize_, data, taken);
    pendingSize_ += taken;
    data += taken;
    left -= taken;
    if (pendingSize_ < kBlock) return;
    addBlock(pending_);
    pendingSize_ = 0;
  }
  for (; left >= kBlock; data += kBlock, left -= kBlock)
    addBlock(data);
  if (left > 0) std::memcpy(pending_, data, left);
  pendingSize_ = left;
}

std::uint64_t Checksum::value() const {
  std::uint64_t hash = kPrime5;
  if (size_ >= kBlock) {
    hash = rotateLeft(lanes_[0], 1) + rotateLeft(lanes_[1], 7) + rotateLeft(lanes_[2], 12) +
           rotateLeft(lanes_[3], 18);
    for (const std::uint64_t lane : lanes_)
      hash = mergeLane(hash, lane);
  }
  hash += size_;
  std::size_t at = 0;
  for (; at + 8 <= pendingSize_; at += 8)
    hash = rotateLeft(hash ^ mixWord(0, wordAt(pending_ + at)), 27) * kPrime1 + kPrime4;
  for (; at < pendingSize_; ++at)
    hash = rotateLeft(hash ^ (std::uint64_t{pending_[at]} * kPrime5), 11) * kPrime1;
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  hash *= kPrime3;
  hash ^= hash >> 32;
  return hash;
}
