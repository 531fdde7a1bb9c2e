#include "flow/console.h"

#include <algorithm>
#include <iomanip>
#include <iostream>

#include "flow/run_end.h"
#include "handling/line_split.h"

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
