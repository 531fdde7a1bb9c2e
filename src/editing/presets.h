#pragma once

#include <string_view>

#include "handling/handling_record.h"

// The lightest "fMass" the super car preset keeps, as it writes it.
inline constexpr const char* kSuperCarMass = "2000.0";

// True when the super car preset replaces a mass of this text: when the text is not a plain
// decimal number (empty, "1,5", "abc", "inf") or is a number below 2000. Locale-independent.
bool massBelowSuperCarMinimum(std::string_view mass);

// Overwrites the fields that the preset of `presetMode` (super car, super bike or Rhino) sets;
// does nothing for any other mode.
void applyPresetTo(HandlingRecord& fields, int presetMode);

// Applies the preset of `mode` to `record` and sets `finished`.
void applyPreset();
