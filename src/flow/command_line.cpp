#include "flow/command_line.h"

#include <iostream>
#include <string_view>

#include "platform/platform.h"

namespace {

// VEHICLE_EDITOR_VERSION comes from the project's version in CMakeLists.txt.
constexpr const char* kVersionLine = "vehicle-editor " VEHICLE_EDITOR_VERSION "\n";

constexpr const char* kHelp =
    "Usage: vehicle-editor [--help | --version]\n"
    "\n"
    "Changes the handling values of one vehicle in handling.cfg, the Velmora Shores\n"
    "file in the folder it is started in, through numbered menus; \"0\" at the first\n"
    "menu leaves without editing.\n"
    "To abandon a run at any prompt without changing anything: Ctrl-C, or end the\n"
    "input (Ctrl-D; on Windows Ctrl-Z, then Enter).\n"
    "More in README.md: beside vehicle-editor.exe in the Windows release, in\n"
    "share/doc/vehicle-editor in the Linux installation, at the top of the sources.\n";

}  // namespace

bool answerCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool help = argument == "--help" || argument == "-h";
    if (help || argument == "--version") {
      // A reader that has gone, or a full file, must not end the process by a signal: the
      // answer was given as far as it could be, and the status stays 0.
      platform::prepareStandardStreams();
      std::cout << (help ? kHelp : kVersionLine);
      return true;
    }
  }
  return false;
}
