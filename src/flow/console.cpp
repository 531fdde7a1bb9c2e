#include "flow/console.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "flow/replace_file.h"
#include "flow/state.h"

std::string readWord() {
  std::string word;
  // Without this check a closed input would leave every answer empty and the prompt would
  // repeat for ever.
  if (!(std::cin >> word)) abandonRun("the input ended before the editing was done");
  return word;
}

std::string askChoice(const std::string_view* accepted, std::size_t count) {
  std::string answer;
  while (std::find(accepted, accepted + count, answer) == accepted + count) {
    std::cout << "Choice: ";
    answer = readWord();
  }
  return answer;
}

void reportNotChanged(const std::string& why) {
  std::cout.flush();
  std::cerr << "vehicle-editor: " << why << "; " << kHandlingFileName << " was not changed.\n";
  exitStatus = 1;
}

void abandonRun(const std::string& why) {
  discardTempFile();
  // The user's cursor still stands after a prompt.
  std::cout << '\n';
  reportNotChanged(why);
  std::exit(exitStatus);
}
