#include "editing/field_table.h"

#include "handling/handling_record.h"

const FieldInfo fieldTable[kFieldCount] = {
    {"", "", ValueKind::name},  // the vehicle identifier, never edited
    {"B", "fMass", ValueKind::decimal},
    {"C", "Dimensions.x", ValueKind::decimal},
    {"D", "Dimensions.y", ValueKind::decimal},
    {"E", "Dimensions.z", ValueKind::decimal},
    {"F", "CentreOfMass.x", ValueKind::decimal},
    {"G", "CentreOfMass.y", ValueKind::decimal},
    {"H", "CentreOfMass.z", ValueKind::decimal},
    {"I", "nPercentSubmerged", ValueKind::whole},
    {"J", "fTractionMultiplier", ValueKind::decimal},
    {"K", "fTractionLoss", ValueKind::decimal},
    {"L", "fTractionBias", ValueKind::decimal},
    {"M", "TransmissionData.nNumberOfGears", ValueKind::whole},
    {"N", "TransmissionData.fMaxVelocity", ValueKind::decimal},
    {"O", "TransmissionData.fEngineAcceleration", ValueKind::decimal},
    {"P", "TransmissionData.nDriveType", ValueKind::driveType},
    {"Q", "TransmissionData.nEngineType", ValueKind::engineType},
    {"R", "fBrakeDeceleration", ValueKind::decimal},
    {"S", "fBrakeBias", ValueKind::decimal},
    {"T", "bABS", ValueKind::onOff},
    {"U", "fSteeringLock", ValueKind::decimal},
    {"V", "fSuspensionForceLevel", ValueKind::decimal},
    {"W", "fSuspensionDampingLevel", ValueKind::decimal},
    {"X", "fSeatOffsetDistance ",
     ValueKind::decimal},  // the trailing space is part of the name as shown
    {"Y", "fCollisionDamageMultiplier", ValueKind::decimal},
    {"Z", "nMonetaryValue", ValueKind::whole},
    {"aa", "suspension upper limit", ValueKind::decimal},
    {"ab", "suspension lower limit", ValueKind::decimal},
    {"ac", "suspension bias between front and rear", ValueKind::decimal},
    {"ad", "suspension anti-dive multiplier", ValueKind::decimal},
    {"ae", "flags", ValueKind::hexFlags},
    {"af", "front lights", ValueKind::whole},
    {"ag", "rear lights", ValueKind::whole},
};

std::size_t fieldIndexForCode(std::string_view code) {
  for (std::size_t index = 1; index < kFieldCount; ++index) {
    if (code == fieldTable[index].code) return index;
  }
  return 0;
}

std::string_view plainName(std::size_t index) {
  std::string_view name = fieldTable[index].displayName;
  while (!name.empty() && name.back() == ' ')
    name.remove_suffix(1);
  return name;
}

std::string misfitText(std::size_t index, std::string_view what) {
  return std::string(what) + " does not fit " + std::string(plainName(index)) + ", which takes " +
         expectedForm(fieldTable[index].kind);
}

std::string columnsThatWouldShift(const HandlingRecord& edited) {
  for (std::size_t index = 1; index + 1 < kFieldCount; ++index) {
    if (!edited[index].empty()) continue;
    for (std::size_t later = index + 1; later < kFieldCount; ++later) {
      if (!edited[later].empty())
        return "the line of " + edited[0] + " has no column " + std::string(plainName(index)) +
               ", so " + std::string(plainName(later)) + " would land in another column";
    }
    break;
  }
  return {};
}
