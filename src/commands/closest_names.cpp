#include "commands/closest_names.h"

#include <algorithm>

namespace {

// How far apart a suggested name may be, in edits, and how long a name is worth comparing so.
constexpr std::size_t kMaxDistance = 2;
constexpr std::size_t kLongestCompared = 64;
constexpr std::size_t kMaxSuggestions = 3;

char foldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// 0 for the same letters in another case, otherwise the number of edits from `a` to `b`,
// letter case aside; more than kMaxDistance when they are further apart or share nothing.
std::size_t nameDistance(std::string_view a, std::string_view b) {
  const std::size_t far = kMaxDistance + 1;
  if (a.size() > b.size() + kMaxDistance || b.size() > a.size() + kMaxDistance) return far;
  if (a.size() > kLongestCompared) return equalIgnoringCase(a, b) ? 0 : far;
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t replace =
          previous[j - 1] + (foldCase(a[i - 1]) == foldCase(b[j - 1]) ? 0 : 1);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, replace});
    }
    std::swap(previous, row);
  }
  const std::size_t distance = previous[b.size()];
  return distance >= a.size() ? far : distance;
}

}  // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return foldCase(x) == foldCase(y);
         });
}

void ClosestNames::consider(std::string_view name) {
  const std::size_t distance = nameDistance(wanted_, name);
  if (distance > kMaxDistance) return;
  if (std::find(names_.begin(), names_.end(), name) != names_.end()) return;
  // After every name as near or nearer, which came earlier in the file.
  std::size_t at = 0;
  while (at < distances_.size() && distances_[at] <= distance)
    ++at;
  if (at >= kMaxSuggestions) return;
  names_.insert(names_.begin() + static_cast<std::ptrdiff_t>(at), std::string(name));
  distances_.insert(distances_.begin() + static_cast<std::ptrdiff_t>(at), distance);
  if (names_.size() > kMaxSuggestions) {
    names_.pop_back();
    distances_.pop_back();
  }
}
