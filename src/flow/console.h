// Answers from standard input, and the two ways a run ends early.
#pragma once

#include <cstddef>
#include <iostream>
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

// Tells the user on standard error (or on `to`) that handling.cfg was not changed, and why; the
// run will end with exit status 1.
void reportNotChanged(const std::string& why, std::ostream& to = std::cerr);

// Ends the run at once without touching handling.cfg: removes the temp.cfg this run created,
// reports `why` as above and exits with status 1.
[[noreturn]] void abandonRun(const std::string& why);

// Makes a request to stop (Ctrl-C, a closed terminal, SIGTERM) abandon the run the same way,
// with the exit status of the request.
void abandonOnStopRequest();
