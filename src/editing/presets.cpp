#include "editing/presets.h"

#include <charconv>
#include <cmath>

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
  double value = 0;
  const char* end = mass.data() + mass.size();
  const auto [stop, error] = std::from_chars(mass.data(), end, value, std::chars_format::fixed);
  const bool isNumber = error == std::errc() && stop == end && std::isfinite(value);
  return !isNumber || value < 2000.0;
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
