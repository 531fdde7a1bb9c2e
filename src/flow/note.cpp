#include "flow/note.h"

#include <iostream>

#include "flow/run_end.h"
#include "platform/platform.h"

void writeNote(const std::string& text) {
  std::cout.flush();
  const std::string note = "vehicle-editor: note: " + text + ".\n";
  std::cerr << reportLines(note, platform::isTerminal(platform::Stream::error)) << std::flush;
}
