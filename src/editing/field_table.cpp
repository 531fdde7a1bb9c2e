#include "editing/field_table.h"

#include "handling/handling_record.h"

const FieldInfo fieldTable[kFieldCount] = {
    {"", ""},  // the vehicle identifier, never edited
    {"B", "fMass"},
    {"C", "Dimensions.x"},
    {"D", "Dimensions.y"},
    {"E", "Dimensions.z"},
    {"F", "CentreOfMass.x"},
    {"G", "CentreOfMass.y"},
    {"H", "CentreOfMass.z"},
    {"I", "nPercentSubmerged"},
    {"J", "fTractionMultiplier"},
    {"K", "fTractionLoss"},
    {"L", "fTractionBias"},
    {"M", "TransmissionData.nNumberOfGears"},
    {"N", "TransmissionData.fMaxVelocity"},
    {"O", "TransmissionData.fEngineAcceleration"},
    {"P", "TransmissionData.nDriveType"},
    {"Q", "TransmissionData.nEngineType"},
    {"R", "fBrakeDeceleration"},
    {"S", "fBrakeBias"},
    {"T", "bABS"},
    {"U", "fSteeringLock"},
    {"V", "fSuspensionForceLevel"},
    {"W", "fSuspensionDampingLevel"},
    {"X", "fSeatOffsetDistance "},  // the trailing space is part of the name as shown
    {"Y", "fCollisionDamageMultiplier"},
    {"Z", "nMonetaryValue"},
    {"aa", "suspension upper limit"},
    {"ab", "suspension lower limit"},
    {"ac", "suspension bias between front and rear"},
    {"ad", "suspension anti-dive multiplier"},
    {"ae", "flags"},
    {"af", "front lights"},
    {"ag", "rear lights"},
};

std::size_t fieldIndexForCode(std::string_view code) {
  for (std::size_t index = 1; index < kFieldCount; ++index) {
    if (code == fieldTable[index].code) return index;
  }
  return 0;
}
