#include "handling/output_file.h"

#include <cstring>

#include "platform/platform.h"

OutputFile::~OutputFile() {
  abandon();
}

void OutputFile::attach(std::FILE* file) {
  abandon();
  file_ = file;
  error_.clear();
  used_ = 0;
  written_ = 0;
  checksum_ = Checksum();
  if (file_) {
    buffer_.resize(kBufferSize);
    // The buffer here does the work; the stream's own would only copy everything once more.
    std::setvbuf(file_, nullptr, _IONBF, 0);
  }
}

void OutputFile::writeLine(std::string_view text) {
  if (!file_ || !error_.empty()) return;
  written_ += text.size() + 2;
  append(text);
  append("\r\n");
}

void OutputFile::writeBytes(std::string_view bytes) {
  if (!file_ || !error_.empty()) return;
  written_ += bytes.size();
  append(bytes);
}

void OutputFile::append(std::string_view bytes) {
  if (bytes.size() > buffer_.size() - used_) {
    flushBuffer();
    // A large file goes to the disk while the rest is still being written, so that forcing it
    // to disk at the end has little left to wait for.
    platform::startWriteback(file_);
    if (bytes.size() >= buffer_.size()) {
      writeOut(bytes);
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void OutputFile::writeOut(std::string_view bytes) {
  if (!error_.empty() || bytes.empty()) return;
  checksum_.add(bytes);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    error_ = platform::lastErrorText();
  }
}

void OutputFile::flushBuffer() {
  writeOut(std::string_view(buffer_.data(), used_));
  used_ = 0;
}

void OutputFile::markIncomplete(const std::string& reason) {
  if (error_.empty()) error_ = reason;
}

bool OutputFile::finish(std::string* error) {
  if (!file_) return false;
  flushBuffer();
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
  used_ = 0;
}

bool OutputFile::holdsWritten(platform::Handle file, std::string* error) {
  // The write buffer, no longer needed, holds what is read back: no more memory for that.
  buffer_.resize(kBufferSize);
  Checksum read;
  for (;;) {
    std::size_t got = 0;
    if (!platform::readAt(file, read.size(), buffer_.data(), buffer_.size(), &got, error))
      return false;
    if (got == 0) break;
    read.add(std::string_view(buffer_.data(), got));
    // More than this run wrote: no need to read the rest.
    if (read.size() > written_) break;
  }
  if (read.size() == written_ && read.value() == checksum_.value()) return true;
  *error = kWrittenByAnotherProgram;
  return false;
}
