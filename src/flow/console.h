// Answers from standard input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The longest answer the editor takes, in bytes: far more than any name or value needs, and
// little enough that an answer that never ends cannot fill the memory.
inline constexpr std::size_t kMaxAnswerBytes = 4 << 20;

// Reads the next whitespace-delimited word from standard input; the rest of the typed line
// waits for the next read. When standard input has ended or failed, or the word is longer than
// kMaxAnswerBytes, abandons the run.
std::string readWord();

// Writes "Choice: " and reads words until one of the `count` texts at `accepted` comes, which it
// returns.
std::string askChoice(const std::string_view* accepted, std::size_t count);

template <std::size_t N>
std::string askChoice(const std::string_view (&accepted)[N]) {
  return askChoice(accepted, N);
}
