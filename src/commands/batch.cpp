#include "commands/batch.h"

#include <cerrno>
#include <cstdio>

#include "commands/parser.h"
#include "commands/vehicle_access.h"
#include "flow/state.h"
#include "handling/line_split.h"
#include "platform/platform.h"

namespace {

// A line or file that no vehicle line, nor a file name, would reach: the edits are refused.
constexpr int kRefusedStatus = kUsageErrorStatus;

// The name reports give standard input.
constexpr const char* kStandardInputName = "<stdin>";

// The most an apply reads: some hundred thousand lines, far more than any game has vehicles.
// Endless input (a device, a program that never stops) is refused before memory runs out.
constexpr std::size_t kMaxInputBytes = std::size_t{64} << 20;

std::vector<std::string> wordsOf(std::string_view line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isFieldSeparator(line[at]))
      ++at;
    const std::size_t start = at;
    while (at < line.size() && !isFieldSeparator(line[at]))
      ++at;
    if (at > start) words.emplace_back(line.substr(start, at - start));
  }
  return words;
}

// One line's edit; returns why it is refused, empty on success.
std::string parseEditLine(const std::vector<std::string>& words, bool force, VehicleEdit* edit) {
  edit->vehicle = words[0];
  if (words.size() < 2)
    return "the NAME " + quoted(words[0]) + " needs CODE=VALUE, or preset and the preset's name";
  if (words[1] == "preset") {
    if (words.size() != 3)
      return "preset needs one of supercar, superbike or rhino, and nothing after it";
    edit->presetMode = presetModeNamed(words[2]);
    if (edit->presetMode == 0)
      return "unknown preset " + quoted(words[2]) +
             "; the presets are supercar, superbike and rhino";
    return {};
  }
  return parseValues(words, force, &edit->values);
}

// All of `file` into `text`; false with the reason in `error`.
bool readWhole(std::FILE* file, std::string* text, std::string* error) {
  char buffer[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (text->size() + got > kMaxInputBytes) {
      *error = "it is larger than " + std::to_string(kMaxInputBytes >> 20) + " MiB";
      return false;
    }
    text->append(buffer, got);
  }
  if (std::ferror(file)) {
    *error = platform::lastErrorText();
    return false;
  }
  return true;
}

}  // namespace

std::string parseEditLines(std::string_view text, const std::string& source, bool force,
                           std::vector<VehicleEdit>* edits) {
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    const std::vector<std::string> words = wordsOf(line);
    if (words.empty() || words[0][0] == '#') continue;
    VehicleEdit edit;
    edit.where = source + ":" + std::to_string(lineNumber) + ": ";
    const std::string why = parseEditLine(words, force, &edit);
    if (!why.empty()) return edit.where + why;
    edits->push_back(std::move(edit));
  }
  return {};
}

int runApply(const Command& command) {
  const bool fromInput = command.words.empty() || command.words[0] == "-";
  const std::string source = fromInput ? kStandardInputName : command.words[0];
  std::string text;
  std::string error;
  errno = 0;
  std::FILE* file = fromInput ? stdin : platform::openForReading(source.c_str());
  if (file == nullptr) {
    // A folder, or a pipe, of that name is refused with no reason of the system's own.
    error = errno == 0 ? "it is no file that can be read" : platform::lastErrorText();
  }
  const bool read = file != nullptr && readWhole(file, &text, &error);
  if (file != nullptr && !fromInput) std::fclose(file);
  if (!read) {
    reportProblem("could not read " + quoted(source) + ": " + error);
    return 1;
  }
  std::vector<VehicleEdit> edits;
  const std::string why = parseEditLines(text, source, command.force, &edits);
  if (!why.empty()) {
    reportProblem(why);
    return kRefusedStatus;
  }
  waitSeconds = command.waitSeconds;
  return makeEdits(edits, command.dryRun, kRefusedStatus);
}
