// What the editor writes, as a user sees it, for building the expected console output.
#pragma once

#include <string>

namespace texts {

inline const std::string kBanner =
    "*************************************************************\n"
    "*******   marsk's Velmora Shores Vehicle Editor v.1.0   *****\n"
    "*************************************************************\n\n"
    "DISCLAIMER:\nI don't take any responsibility for damages or problems on your\n"
    "computer caused by this program.\n\n"
    "IMPORTANT:\nAvaible changeable values and vehicles can be found in the Readme.txt.\n"
    "Only use capital letters and when specifying a number which is not an\n"
    "integer, use the character . (dot), not the character , (comma).\n"
    "Otherwise this might cause your Velmora Shores game to crash.\n";

inline const std::string kMainMenu =
    "\nEnter your choice, then press enter.\n\n1. Edit a vehicle manually\n"
    "2. Turn a car into a super car\n3. Turn a bike into a super bike\n"
    "4. Make a vehicle as strong as the Rhino\n5. Credits\n0. Exit\n\n";

inline const std::string kFinalMenu =
    "\nEnter your choice, then press enter.\n\n1. Credits\n0. Exit\n\n";

inline const std::string kAfterEditMenu =
    "\nEnter your choice, then press enter.\n\n1. Edit another value at the same vehicle\n"
    "0. Cancel to menu\n\n";

inline const std::string kCredits =
    "\nmarsk's Velmora Shores Vehicle Editor v.1.0\n\nProgrammed by Orvid \"marsk\" K.\n"
    "Coding support: \"Kvarnsten\".\nBetatesters: \"Tofsa\" and Arne B. S.\n";

inline const std::string kChoice = "Choice: ";
inline const std::string kVehicle = "Vehicle: ";

inline const std::string kAskManual =
    "\nWhich vehicle do you want to edit? \nFor an example: RUMPO changes the vehicle Rumpo.\n";
inline const std::string kAskSuperCar =
    "\nWhich car do you want to turn into a super car? \n"
    "For an example: INFERNUS changes the vehicle Infernus.\n";
inline const std::string kAskSuperBike =
    "\nWhich bike do you want to turn into a super bike? \n"
    "For an example: BIKE changes the vehicle PCJ 600.\n";
inline const std::string kAskRhino =
    "\nWhich vehicle do you want to get as much \"health\" as the Rhino? \n"
    "For an example: STINGER changes the vehicle Stinger.\n";

inline const std::string kValueIntro =
    "\nFor an example: The letter R changes the value \"fBrakeDeceleration\"\n"
    "and the word ab changes the value \"suspension lower limit\".\n"
    "Which value do you want to change?\n";
inline const std::string kValue = "Value: ";

// The editor's lines for one changed value, from "You're now changing" to "What should it be? ".
inline std::string changing(const std::string& name, const std::string& current) {
  return "\nYou're now changing the value of \"" + name + "\".\nThe current value is \"" + current +
         "\".\nWhat should it be? ";
}

// `lines` as the editor writes them on standard error into a file or a pipe: whole, each report
// one line.
inline std::string reported(const std::string& lines) {
  return lines;
}

// `lines` as the editor writes them on a console, within 79 columns: each line longer than that
// is broken at its last blank that leaves no more than 79 bytes before it.
inline std::string reportedOnConsole(const std::string& lines) {
  std::string broken;
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    std::string line = lines.substr(start, end - start);
    while (line.size() > 79) {
      std::size_t blank = line.rfind(' ', 79);
      if (blank == std::string::npos || blank == 0) blank = line.find(' ', 80);
      if (blank == std::string::npos) break;
      broken += line.substr(0, blank) + "\n";
      line = line.substr(blank + 1);
    }
    broken += line;
    if (end < lines.size()) broken += "\n";
    start = end + 1;
  }
  return broken;
}

inline const std::string kDone = "\nEverything sucessfully done\n\n";
// Said before the first prompt while edits that earlier runs kept are there: `names` as listed.
inline std::string waitingEdits(const std::string& names, bool one) {
  return std::string("vehicle-editor: ") +
         (one ? "an earlier edit waits in " : "earlier edits wait in ") + names + ", kept when " +
         (one ? "it" : "they") + " could not replace handling.cfg. To put " + (one ? "it" : "one") +
         " in place, close the game and any program that has handling.cfg open, then rename " +
         (one ? "it" : "that file") + " to handling.cfg; or delete " + (one ? "it" : "them") +
         ".\n";
}
inline const std::string kInputEnded = reported(
    "vehicle-editor: the input ended before the editing was done; handling.cfg was not "
    "changed.\n");

}  // namespace texts
