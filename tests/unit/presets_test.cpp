#include "editing/presets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "flow/state.h"

TEST(SuperCarMass, BelowMeansNumericallyBelow) {
  const struct {
    std::string mass;
    bool replaced;
  } cases[] = {
      {"800.0", true},
      {"1999.99", true},
      {"1999.99999999999999999", true},
      {"-5", true},
      {"2000", false},
      {"2000.0", false},
      {"2500", false},
      {"10000.0", false},
      {"2500.", false},
      {"01500.0", true},
      {"002000.0", false},
      {"1" + std::string(400, '0'), false},
      // Not a plain decimal number: the preset's mass is safer than an unreadable one.
      {"", true},
      {"1,5", true},
      {"abc", true},
      {"inf", true},
      {"nan", true},
      {"+3000", true},
      {"3000x", true},
      {"1e5", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(massBelowSuperCarMinimum(c.mass), c.replaced) << c.mass;
}

namespace {

HandlingRecord numberedRecord(const char* mass) {
  HandlingRecord fields;
  for (std::size_t index = 0; index < kFieldCount; ++index)
    fields[index] = "v" + std::to_string(index);
  fields[1] = mass;
  return fields;
}

std::set<std::size_t> changedFields(const HandlingRecord& before, const HandlingRecord& after) {
  std::set<std::size_t> changed;
  for (std::size_t index = 0; index < kFieldCount; ++index)
    if (before[index] != after[index]) changed.insert(index);
  return changed;
}

}  // namespace

TEST(Presets, ChangeExactlyTheirFields) {
  const std::set<std::size_t> speed = {5, 6, 7, 9, 10, 11, 12, 13, 14};
  std::set<std::size_t> superCar = speed;
  superCar.insert(27);
  std::set<std::size_t> superCarLight = superCar;
  superCarLight.insert(1);
  const struct {
    int mode;
    const char* mass;
    std::set<std::size_t> changed;
  } cases[] = {
      {modeSuperCar, "3500.0", superCar}, {modeSuperCar, "1500.0", superCarLight},
      {modeSuperBike, "400.0", speed},    {modeRhino, "100.0", {24}},
      {modeManual, "100.0", {}},          {modeDone, "100.0", {}},
  };
  for (const auto& c : cases) {
    const HandlingRecord before = numberedRecord(c.mass);
    HandlingRecord after = before;
    applyPresetTo(after, c.mode);
    EXPECT_EQ(changedFields(before, after), c.changed) << "mode " << c.mode << " mass " << c.mass;
  }
}

TEST(Presets, WriteTheirTextsAsGiven) {
  HandlingRecord car;
  applyPresetTo(car, modeSuperCar);
  EXPECT_EQ(car[1], "2000.0");
  EXPECT_EQ(car[11], "0.50");
  EXPECT_EQ(car[12], "5");
  EXPECT_EQ(car[27], "-0.15");
  const HandlingRecord again = car;
  applyPresetTo(car, modeSuperCar);
  EXPECT_EQ(car, again);

  HandlingRecord rhino;
  applyPresetTo(rhino, modeRhino);
  EXPECT_EQ(rhino[24], "0.09");
}
