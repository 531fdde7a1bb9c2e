#include "handling/vehicle_lookup.h"

#include <iostream>

#include "editing/value_kind.h"
#include "flow/console.h"
#include "flow/note.h"
#include "flow/run_end.h"
#include "flow/state.h"
#include "handling/exact_lookup.h"
#include "handling/record_writer.h"

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

// Says what the typed word took when it is not that line's first word, and which line is taken
// when its name begins other lines too; then keeps the file as keepLookedUpFile does, and lets
// other programs save it while the user edits.
bool notedFoundLine() {
  const std::string inside = foundInsideNote(vehicleName, currentLineNumber, currentLine);
  if (!inside.empty()) writeNote(inside);
  // A line before the one taken that begins with its name would have been taken, had the typed
  // word been part of that name.
  const bool earlierToo = !NameSearch(vehicleName).foundIn(firstWord(currentLine));
  if (!keepLookedUpFile(earlierToo)) return false;
  // The user may take any time from here to the copy: another program may save meanwhile.
  letOthersSaveHandlingFile();
  return true;
}

}  // namespace

NameSearch::NameSearch(std::string_view name) : name_(name), fallback_(name.size() + 1, 0) {
  std::size_t matched = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    while (matched > 0 && name[i] != name[matched])
      matched = fallback_[matched];
    if (name[i] == name[matched]) ++matched;
    fallback_[i + 1] = matched;
  }
}

bool NameSearch::foundIn(std::string_view line) const {
  if (name_.empty()) return true;
  std::size_t matched = 0;
  for (const char c : line) {
    while (matched > 0 && c != name_[matched])
      matched = fallback_[matched];
    if (c == name_[matched] && ++matched == name_.size()) return true;
  }
  return false;
}

bool isMarkerLine(std::string_view line) {
  return !line.empty() && (line[0] == ';' || line[0] == '$' || line[0] == '&' || line[0] == '!');
}

bool findVehicleLine(LineReader& in, std::string_view name, std::string* line,
                     std::size_t* lineNumber) {
  if (!in.rewind()) return false;
  const NameSearch search(name);
  std::string_view candidate;
  for (std::size_t number = 0; in.next(&candidate); ++number) {
    if (!isMarkerLine(candidate) && search.foundIn(candidate)) {
      line->assign(candidate);
      *lineNumber = number;
      return true;
    }
  }
  return false;
}

bool keepLookedUpFile(bool earlierToo) {
  // Read on to the end: the copy must later read exactly the file the lookup read, not only a
  // file of the same size and times.
  const std::string_view name = firstWord(currentLine);
  const bool named = isVehicleLine(currentLine);
  SameNameLines same;
  if (!addSameNameLines(handlingIn, named ? name : std::string_view(), currentLineNumber + 1,
                        static_cast<std::size_t>(-1), &same) ||
      !handlingIn.readToEnd())
    return false;
  handlingChecksum = handlingIn.checksum().value();
  // The lines before the one taken hold the name only where the typed word was not part of it.
  if (named && earlierToo) {
    SameNameLines before;
    if (!handlingIn.rewind() || !addSameNameLines(handlingIn, name, 0, currentLineNumber, &before))
      return false;
    for (const std::size_t number : same.first)
      before.add(number);
    before.count += same.count - same.first.size();
    same = before;
  }
  const std::string note = sameNameNote(name, currentLineNumber, same);
  if (!note.empty()) writeNote(note);
  return true;
}

std::string foundInsideNote(std::string_view typed, std::size_t number, std::string_view line) {
  const std::string_view name = firstWord(line);
  if (typed == name) return {};
  std::string note =
      quotedValue(typed) + " was found inside line " + std::to_string(number + 1) + ", ";
  if (isVehicleLine(line)) return note + "the line of " + cutShort(name);
  return note + "a line indented before \"" + std::string(name) + "\"";
}

void lookUpVehicle() {
  for (const LookupTexts& texts : kLookupTexts) {
    if (texts.mode == mode) std::cout << texts.question << texts.example;
  }
  while (finished == 0) {
    std::cout << "Vehicle: ";
    vehicleName = readWord();
    if (findVehicleLine(handlingIn, vehicleName, &currentLine, &currentLineNumber) &&
        notedFoundLine()) {
      finished = 1;
    } else if (handlingIn.failed()) {
      abandonRun("could not read " + std::string(kHandlingFileName) + ": " + handlingIn.error());
    }
  }
}
