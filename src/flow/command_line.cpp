#include "flow/command_line.h"

#include <iostream>
#include <string_view>

#include "platform/platform.h"

namespace {

// VEHICLE_EDITOR_VERSION comes from the project's version in CMakeLists.txt.
constexpr const char* kVersionLine = "vehicle-editor " VEHICLE_EDITOR_VERSION "\n";

constexpr const char* kHelp =
    "Usage: vehicle-editor [--help | --version]\n"
    "       vehicle-editor [FOLDER/handling.cfg]\n"
    "       vehicle-editor list\n"
    "       vehicle-editor show NAME\n"
    "       vehicle-editor set [--force] [--dry-run] NAME CODE=VALUE...\n"
    "       vehicle-editor preset [--dry-run] supercar|superbike|rhino NAME\n"
    "\n"
    "Without a command: changes the handling values of one vehicle in handling.cfg,\n"
    "the Velmora Shores file in the folder it is started in (or the folder of the\n"
    "handling.cfg given, as when the file is dropped on the program), through\n"
    "numbered menus; \"0\" at the first menu leaves without editing.\n"
    "  list    the first word of every vehicle line, in file order\n"
    "  show    the 32 values of the line whose first word is NAME: code, name, text\n"
    "  set     gives values by code (B to Z, aa to ag), e.g. set INFERNUS R=2.5;\n"
    "          --force stores a decimal comma (2,5) as typed\n"
    "  preset  the super car, super bike or Rhino preset of the menus\n"
    "  undo [--dry-run]  puts back handling.cfg.bak, the file each change keeps\n"
    "  --dry-run  prints the changes and writes nothing\n"
    "list and show never change a file; set and preset print each change, then\n"
    "write handling.cfg as the menus do. Exit status: 0 done, 1 not, 2 usage error.\n"
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
