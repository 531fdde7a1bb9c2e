#include "flow/command_line.h"

#include <iostream>
#include <string>
#include <string_view>

#include "commands/command_table.h"
#include "platform/platform.h"

namespace {

// VEHICLE_EDITOR_VERSION comes from the project's version in CMakeLists.txt.
constexpr const char* kVersionLine = "vehicle-editor " VEHICLE_EDITOR_VERSION "\n";

constexpr const char* kUsage =
    "Usage: vehicle-editor [--help | --version]\n"
    "       vehicle-editor [-C FOLDER] [FOLDER/handling.cfg]\n";

// After the usage lines of the commands: the whole fits one screen of a console window.
constexpr const char* kHelp =
    "Without a command: changes one vehicle of handling.cfg, the Velmora Shores\n"
    "file in the folder it is started in (or that of the handling.cfg given, as\n"
    "when the file is dropped on the program), through numbered menus.\n"
    "  list, show, get  the names; the 32 values of NAME; just the values of CODEs\n"
    "  set     values by code (B to Z, aa to ag), e.g. set INFERNUS R=2.5\n"
    "  preset  the super car, super bike or Rhino preset of the menus\n"
    "  apply   lines \"NAME CODE=VALUE...\" or \"NAME preset rhino\" from FILE or\n"
    "          standard input: all checked first, then written at once, or none\n"
    "  -C FOLDER  (first) runs in FOLDER;  --  ends the options\n"
    "  check   each problem the game may stumble on, as handling.cfg:LINE: what\n"
    "  --force keeps a value unfit for its column (2,5); --dry-run writes nothing\n"
    "  --wait SECONDS  set, preset, apply wait for another editor (default 30)\n"
    "Edits print their changes once handling.cfg is written, and write nothing when\n"
    "no value changes. Exit status: 0 done, 1 not, 2 usage error or refused line.\n"
    "To abandon a run at any prompt without changing anything: Ctrl-C, or end the\n"
    "input (Ctrl-D; on Windows Ctrl-Z, then Enter). More in README.md: beside\n"
    "vehicle-editor.exe, in share/doc/vehicle-editor on Linux, atop the sources.\n";

}  // namespace

bool answerCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool help = argument == "--help" || argument == "-h";
    if (help || argument == "--version") {
      // A reader that has gone, or a full file, must not end the process by a signal: the
      // answer was given as far as it could be, and the status stays 0.
      platform::prepareStandardStreams();
      if (help) {
        std::cout << kUsage << commandUsageLines() << kHelp;
      } else {
        std::cout << kVersionLine;
      }
      return true;
    }
  }
  return false;
}
