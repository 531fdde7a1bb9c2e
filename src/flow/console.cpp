#include "flow/console.h"

#include <algorithm>
#include <iomanip>
#include <iostream>

#include "flow/run_end.h"
#include "handling/line_split.h"
#include "platform/platform.h"

namespace {

// Why no further answer can come: the input ended, or reading it failed.
std::string noMoreInput() {
  const std::string error = platform::inputError();
  return error.empty() ? "the input ended before the editing was done"
                       : "could not read the input: " + error;
}

}  // namespace

std::string readWord() {
  std::string word;
  // Without this check a closed input would leave every answer empty and the prompt would
  // repeat for ever.
  if (!(std::cin >> std::setw(static_cast<int>(kMaxAnswerBytes)) >> word))
    abandonRun(noMoreInput());
  // A read that failed in the middle of a word cut it short: it is no answer.
  if (!platform::inputError().empty()) abandonRun(noMoreInput());
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
