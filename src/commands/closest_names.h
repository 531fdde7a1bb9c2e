// The names a file holds that are closest to one it does not hold: the hint after "no vehicle
// line begins with".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Collects the names of a file that are closest to a name that none of them is: names equal to
// it but for letter case first, then those within an edit distance of 2 (letter case aside), the
// nearest first and in file order among equals; at most three, each once.
class ClosestNames {
 public:
  explicit ClosestNames(std::string_view wanted) : wanted_(wanted) {}
  void consider(std::string_view name);
  const std::vector<std::string>& best() const { return names_; }

 private:
  std::string wanted_;
  std::vector<std::string> names_;
  std::vector<std::size_t> distances_;
};

// Whether `a` and `b` are the same bytes but for the letter case of A to Z.
bool equalIgnoringCase(std::string_view a, std::string_view b);
