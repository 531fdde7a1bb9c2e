#include "flow/run_end.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <streambuf>

#include "flow/state.h"
#include "platform/platform.h"

namespace {

// Standard output's own buffer, seen through one that notes the last byte written.
class LineFollower : public std::streambuf {
 public:
  explicit LineFollower(std::streambuf* target) : target_(target) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    note(traits_type::to_char_type(c));
    return target_->sputc(traits_type::to_char_type(c));
  }
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    if (count > 0) note(bytes[count - 1]);
    return target_->sputn(bytes, count);
  }
  int sync() override { return target_->pubsync(); }

 private:
  static void note(char last) { outputLineOpen = last == '\n' ? 0 : 1; }

  std::streambuf* target_;
};

}  // namespace

std::string breakAtBlanks(std::string_view text, std::size_t width) {
  std::string lines(text);
  std::size_t lineStart = 0;
  std::size_t lastBlank = std::string::npos;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == '\n') {
      lineStart = i + 1;
      lastBlank = std::string::npos;
      continue;
    }
    // The column byte i stands in, counted from 1; a blank just past the last column can end
    // the line itself.
    const std::size_t column = i - lineStart + (lines[i] == ' ' ? 0 : 1);
    if (column > width && lastBlank != std::string::npos) {
      lines[lastBlank] = '\n';
      lineStart = lastBlank + 1;
      lastBlank = std::string::npos;
    }
    if (lines[i] == ' ') lastBlank = i;
  }
  return lines;
}

void followStandardOutput() {
  // Never destroyed: the stream may be written to while the process exits.
  static LineFollower* const follower = new LineFollower(std::cout.rdbuf());
  std::cout.rdbuf(follower);
}

void writeReport(const std::string& text, std::ostream& to) {
  if (outputLineOpen != 0) std::cout << '\n';
  std::cout.flush();
  const bool toConsole =
      platform::isTerminal(&to == &std::cout ? platform::Stream::output : platform::Stream::error);
  to << reportLines(text, toConsole) << std::flush;
}

std::string reportLines(const std::string& text, bool toConsole) {
  return toConsole ? breakAtBlanks(text) : text;
}

void reportNotChanged(const std::string& why, std::ostream& to) {
  writeReport("vehicle-editor: " + why + "; " + kHandlingFileName + " was not changed.\n", to);
  exitStatus = 1;
}

void reportNote(const std::string& text) {
  writeReport("vehicle-editor: " + text + ".\n");
}

const char* tempFilePath() {
  return tempElsewhere.empty() ? kTempFileName : tempElsewhere.c_str();
}

void discardTempFile() {
  if (tempLock == platform::kNoHandle) return;
  // The run is ending: a request to stop now must not race the removal.
  platform::holdStopRequests();
  tempOut.abandon();
  platform::removeAndClose(tempFilePath(), tempLock);
  tempLock = platform::kNoHandle;
}

void abandonOnStopRequest() {
  // The stop handler cannot build text, so the report is made here, around the request's name.
  // The texts are never destroyed: a request may come while the process exits.
  static const std::string* const after =
      new std::string("; " + std::string(kHandlingFileName) + " was not changed.\n");
  // A request held since start-up began is acted on now.
  // A command's standard output, which a script may log, gets nothing from a stop.
  platform::stopOnRequest(tempLock, tempFilePath(), commandLineEdit != 0 ? "" : "\n",
                          "vehicle-editor: stopped by ", after->c_str());
}

void abandonRun(const std::string& why) {
  discardTempFile();
  reportNotChanged(why);
  std::exit(exitStatus);
}

void abandonWhenMemoryRunsOut() {
  std::set_new_handler([] { abandonForLackOfMemory(lackOfMemoryReport); });
}

void abandonForLackOfMemory(const char* report) noexcept {
  discardTempFile();
  // Straight to the C streams, whose buffers exist already (standard error has none).
  if (outputLineOpen != 0) std::fputc('\n', stdout);
  std::fflush(stdout);
  // Off the console the report is one line, as every report is there.
  const bool toConsole = platform::isTerminal(platform::Stream::error);
  for (const char* c = report; *c != '\0'; ++c)
    std::fputc(*c == '\n' && c[1] != '\0' && !toConsole ? ' ' : *c, stderr);
  std::exit(1);
}
