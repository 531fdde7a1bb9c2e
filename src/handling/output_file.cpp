#include "handling/output_file.h"

#include "platform/platform.h"

OutputFile::~OutputFile() {
  abandon();
}

void OutputFile::attach(std::FILE* file) {
  abandon();
  file_ = file;
  error_.clear();
  if (file_) {
    buffer_.resize(kBufferSize);
    std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  }
}

void OutputFile::writeLine(std::string_view text) {
  if (!file_ || !error_.empty()) return;
  static constexpr char kLineEnd[] = "\r\n";
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
      std::fwrite(kLineEnd, 1, 2, file_) != 2) {
    error_ = platform::lastErrorText();
  }
}

void OutputFile::markIncomplete(const std::string& reason) {
  if (error_.empty()) error_ = reason;
}

bool OutputFile::finish(std::string* error) {
  if (!file_) return false;
  std::string reason = error_;
  if (reason.empty()) platform::flushToDisk(file_, &reason);
  const bool closed = std::fclose(file_) == 0;
  if (!closed && reason.empty()) reason = platform::lastErrorText();
  file_ = nullptr;
  *error = reason;
  return reason.empty();
}

void OutputFile::abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}
