#include "editing/presets.h"

#include <algorithm>

#include "flow/state.h"

namespace {

struct PresetValue {
  std::size_t index;
  const char* text;
};

// What the super car and super bike presets have in common.
const PresetValue kSpeedValues[] = {
    {5, "0.0"},   {6, "0.0"}, {7, "0.0"},    {9, "2.0"},   {10, "1.0"},
    {11, "0.50"}, {12, "5"},  {13, "350.0"}, {14, "99.0"},
};
const PresetValue kSuperCarOnly[] = {{27, "-0.15"}};
const PresetValue kRhinoValues[] = {{24, "0.09"}};

template <std::size_t N>
void setAll(HandlingRecord& fields, const PresetValue (&values)[N]) {
  for (const PresetValue& value : values)
    fields[value.index] = value.text;
}

}  // namespace

bool massBelowSuperCarMinimum(std::string_view mass) {
  // Compared by its digits, so that no length or rounding of the text changes the answer.
  const bool negative = !mass.empty() && mass.front() == '-';
  if (negative) mass.remove_prefix(1);
  const std::size_t point = mass.find('.');
  std::string_view whole = mass.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : mass.substr(point + 1);
  const auto allDigits = [](std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
  };
  const bool isNumber =
      allDigits(whole) && allDigits(fraction) && !(whole.empty() && fraction.empty());
  if (!isNumber || negative) return true;
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  return whole.size() < 4 || (whole.size() == 4 && whole < "2000");
}

void applyPresetTo(HandlingRecord& fields, int presetMode) {
  switch (presetMode) {
    case modeSuperCar:
      if (massBelowSuperCarMinimum(fields[1])) fields[1] = kSuperCarMass;
      setAll(fields, kSpeedValues);
      setAll(fields, kSuperCarOnly);
      break;
    case modeSuperBike:
      setAll(fields, kSpeedValues);
      break;
    case modeRhino:
      setAll(fields, kRhinoValues);
      break;
    default:
      break;
  }
}

void applyPreset() {
  if (mode != modeSuperCar && mode != modeSuperBike && mode != modeRhino) return;
  applyPresetTo(record, mode);
  finished = 1;
}
