#include "handling/line_reader.h"

#include <cstring>

#include "platform/platform.h"

bool isUtf16Start(std::string_view start) {
  return start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF";
}

bool fileIsUtf16(std::FILE* file) {
  // Two bytes, not a buffer's worth: the lines are read later, through the reader's own buffer.
  std::string start;
  for (int i = 0; i < 2; ++i) {
    const int c = std::getc(file);
    if (c == EOF) break;
    start += static_cast<char>(c);
  }
  std::clearerr(file);
  const bool rewound = std::fseek(file, 0, SEEK_SET) == 0;
  return rewound && isUtf16Start(start);
}

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

void LineReader::endLine(const char* start, std::size_t length, LineEnd end,
                         std::string_view* line) {
  lineEnd_ = end;
  if (spanning_.empty()) {
    *line = std::string_view(start, length);
  } else {
    spanning_.append(start, length);
    *line = spanning_;
  }
}

bool LineReader::nextLine(std::string_view* line) {
  if (!file_ || failed_) return false;
  spanning_.clear();
  // The line so far ended in a CR that was the last byte of a fill: the next byte tells a CR LF
  // from a CR alone.
  bool crAtEnd = false;
  for (;;) {
    if (begin_ < end_) {
      const char* start = buffer_.data() + begin_;
      const std::size_t available = end_ - begin_;
      if (crAtEnd) {
        const bool crLf = start[0] == '\n';
        if (crLf) ++begin_;
        endLine(start, 0, crLf ? LineEnd::crLf : LineEnd::cr, line);
        return true;
      }
      const void* lineFeed = std::memchr(start, '\n', available);
      const std::size_t beforeLineFeed =
          lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - start)
                   : available;
      const void* carriageReturn = std::memchr(start, '\r', beforeLineFeed);
      if (carriageReturn) {
        const auto length =
            static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - start);
        if (length + 1 < available) {
          const bool crLf = start[length + 1] == '\n';
          begin_ += length + (crLf ? 2 : 1);
          endLine(start, length, crLf ? LineEnd::crLf : LineEnd::cr, line);
          return true;
        }
        // The CR is the last byte of this fill.
        spanning_.append(start, length);
        crAtEnd = true;
        begin_ = end_ = 0;
      } else if (lineFeed) {
        begin_ += beforeLineFeed + 1;
        endLine(start, beforeLineFeed, LineEnd::lf, line);
        return true;
      } else {
        // The line goes on past this fill of the buffer: keep its start and read on.
        spanning_.append(start, available);
        begin_ = end_ = 0;
      }
    }
    if (atEnd_) {
      if (spanning_.empty() && !crAtEnd) return false;
      endLine(buffer_.data(), 0, crAtEnd ? LineEnd::cr : LineEnd::none, line);
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
