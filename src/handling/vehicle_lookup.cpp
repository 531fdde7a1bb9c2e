#include "handling/vehicle_lookup.h"

#include <algorithm>
#include <functional>
#include <iostream>

#include "flow/console.h"
#include "flow/run_end.h"
#include "flow/state.h"

namespace {

struct LookupTexts {
  int mode;
  const char* question;
  const char* example;
};

const LookupTexts kLookupTexts[] = {
    {modeManual, "\nWhich vehicle do you want to edit? ",
     "\nFor an example: RUMPO changes the vehicle Rumpo.\n"},
    {modeSuperCar, "\nWhich car do you want to turn into a super car? ",
     "\nFor an example: INFERNUS changes the vehicle Infernus.\n"},
    {modeSuperBike, "\nWhich bike do you want to turn into a super bike? ",
     "\nFor an example: BIKE changes the vehicle PCJ 600.\n"},
    {modeRhino, "\nWhich vehicle do you want to get as much \"health\" as the Rhino? ",
     "\nFor an example: STINGER changes the vehicle Stinger.\n"},
};

}  // namespace

bool isMarkerLine(std::string_view line) {
  return !line.empty() && (line[0] == ';' || line[0] == '$' || line[0] == '&' || line[0] == '!');
}

bool findVehicleLine(LineReader& in, std::string_view name, std::string* line,
                     std::size_t* lineNumber) {
  if (!in.rewind()) return false;
  // Linear in the length of each line, however much of the name a line repeats: a plain search
  // would compare up to the whole name at every byte.
  const std::boyer_moore_searcher search(name.begin(), name.end());
  std::string_view candidate;
  for (std::size_t number = 0; in.next(&candidate); ++number) {
    if (!isMarkerLine(candidate) &&
        std::search(candidate.begin(), candidate.end(), search) != candidate.end()) {
      line->assign(candidate);
      *lineNumber = number;
      return true;
    }
  }
  return false;
}

void lookUpVehicle() {
  for (const LookupTexts& texts : kLookupTexts) {
    if (texts.mode == mode) std::cout << texts.question << texts.example;
  }
  while (finished == 0) {
    std::cout << "Vehicle: ";
    vehicleName = readWord();
    if (findVehicleLine(handlingIn, vehicleName, &currentLine, &currentLineNumber)) {
      finished = 1;
    } else if (handlingIn.failed()) {
      abandonRun("could not read " + std::string(kHandlingFileName) + ": " + handlingIn.error());
    }
  }
}
