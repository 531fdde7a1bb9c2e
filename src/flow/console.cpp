#include "flow/console.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <iostream>

#include "flow/replace_file.h"
#include "flow/state.h"
#include "handling/line_split.h"
#include "platform/platform.h"

std::string readWord() {
  std::string word;
  // Without this check a closed input would leave every answer empty and the prompt would
  // repeat for ever.
  if (!(std::cin >> std::setw(static_cast<int>(kMaxAnswerBytes)) >> word))
    abandonRun("the input ended before the editing was done");
  if (word.size() == kMaxAnswerBytes) {
    const int next = std::cin.peek();
    if (next != std::char_traits<char>::eof() && !isFieldSeparator(static_cast<char>(next))) {
      abandonRun("an answer was longer than " + std::to_string(kMaxAnswerBytes) + " bytes");
    }
  }
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

void reportNotChanged(const std::string& why, std::ostream& to) {
  std::cout.flush();
  to << "vehicle-editor: " << why << "; " << kHandlingFileName << " was not changed.\n";
  exitStatus = 1;
}

void abandonOnStopRequest() {
  // The stop handler cannot build text, so the report is made here, around the request's name.
  // The texts are never destroyed: a request may come while the process exits.
  static const std::string* const after =
      new std::string("; " + std::string(kHandlingFileName) + " was not changed.\n");
  // A request held since start-up began is acted on now.
  platform::stopOnRequest(tempLock, kTempFileName, "\n", "vehicle-editor: stopped by ",
                          after->c_str());
}

void abandonRun(const std::string& why) {
  discardTempFile();
  // The user's cursor still stands after a prompt.
  std::cout << '\n';
  reportNotChanged(why);
  std::exit(exitStatus);
}
