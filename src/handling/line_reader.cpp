#include "handling/line_reader.h"

#include <cstring>

#include "platform/platform.h"

namespace {

std::string_view withoutFinalCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

LineReader::LineReader(std::size_t bufferSize) : bufferSize_(bufferSize) {}

LineReader::~LineReader() {
  close();
}

void LineReader::attach(std::FILE* file) {
  close();
  if (file && buffer_.empty()) buffer_.resize(bufferSize_);
  file_ = file;
  atFirstLine_ = true;
  byteOrderMark_ = false;
  checksum_ = Checksum();
}

void LineReader::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  begin_ = end_ = 0;
  spanning_.clear();
}

bool LineReader::rewind() {
  begin_ = end_ = 0;
  spanning_.clear();
  atEnd_ = false;
  failed_ = false;
  atFirstLine_ = true;
  checksum_ = Checksum();
  if (!file_) return false;
  std::clearerr(file_);
  if (std::fseek(file_, 0, SEEK_SET) != 0) {
    failed_ = true;
    error_ = platform::lastErrorText();
    return false;
  }
  return true;
}

bool LineReader::next(std::string_view* line) {
  if (!nextLine(line)) return false;
  if (atFirstLine_) {
    atFirstLine_ = false;
    byteOrderMark_ = line->substr(0, kByteOrderMark.size()) == kByteOrderMark;
    if (byteOrderMark_) line->remove_prefix(kByteOrderMark.size());
  }
  return true;
}

bool LineReader::nextLine(std::string_view* line) {
  if (!file_ || failed_) return false;
  spanning_.clear();
  for (;;) {
    if (begin_ < end_) {
      const char* start = buffer_.data() + begin_;
      const std::size_t available = end_ - begin_;
      const void* lineFeed = std::memchr(start, '\n', available);
      if (lineFeed) {
        const char* stop = static_cast<const char*>(lineFeed);
        const auto length = static_cast<std::size_t>(stop - start);
        begin_ += length + 1;
        if (spanning_.empty()) {
          *line = withoutFinalCr(std::string_view(start, length));
        } else {
          spanning_.append(start, length);
          *line = withoutFinalCr(spanning_);
        }
        return true;
      }
      // The line goes on past this fill of the buffer: keep its start and read on.
      spanning_.append(start, available);
      begin_ = end_ = 0;
    }
    if (atEnd_) {
      if (spanning_.empty()) return false;
      *line = withoutFinalCr(spanning_);
      return true;
    }
    if (!fill()) return false;
  }
}

bool LineReader::fill() {
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  begin_ = 0;
  checksum_.add(std::string_view(buffer_.data(), end_));
  if (end_ == 0) {
    if (std::ferror(file_)) {
      failed_ = true;
      error_ = platform::lastErrorText();
      return false;
    }
    atEnd_ = true;
  }
  return true;
}

bool LineReader::readToEnd() {
  if (!file_ || failed_) return false;
  spanning_.clear();
  begin_ = end_ = 0;
  while (!atEnd_) {
    if (!fill()) return false;
  }
  begin_ = end_ = 0;
  return true;
}
