#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The byte-order mark of UTF-8, which some editors put at the start of a text file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// What the editor says of a file that begins as UTF-16, after the file's name: Notepad's
// "Unicode" puts a 0 byte beside every letter, which neither the game nor the editor reads.
inline constexpr std::string_view kUtf16Advice =
    "is UTF-16 (\"Unicode\"); save it as ANSI or UTF-8";

// Whether `start`, the first bytes of a file, is the byte-order mark of UTF-16: FF FE (little
// end first, as Notepad saves "Unicode") or FE FF.
bool isUtf16Start(std::string_view start);

// Whether the file `file` begins as UTF-16. Reads its first two bytes and goes back to its start;
// false when it cannot tell.
bool fileIsUtf16(std::FILE* file);
#include "handling/checksum.h"

// How a line read by LineReader ended.
enum class LineEnd { none, lf, crLf, cr };

// Reads a file line by line through one large buffer, holding only the current line in memory.
// A line ends at LF, at CR LF, or at a CR that no LF follows (as some editors on other systems
// end lines, or a line pasted from such a file); the line end is not part of the line. A last
// line without a line end is still a line; an empty file has no lines.
class LineReader {
 public:
  static constexpr std::size_t kDefaultBufferSize = 1 << 18;

  explicit LineReader(std::size_t bufferSize = kDefaultBufferSize);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Takes ownership of `file` (which may be null: the reader then stays closed). The buffer is
  // made here, not before.
  void attach(std::FILE* file);
  bool isOpen() const { return file_ != nullptr; }
  std::FILE* file() const { return file_; }
  void close();

  // Goes back to the first line. Returns false when the file cannot be repositioned.
  bool rewind();

  // Stores the next line in `line`, valid until the next call. Returns false at the end of the
  // file or when reading failed (then failed() is true and error() tells why).
  bool next(std::string_view* line);
  // How the line that next() stored last ended.
  LineEnd lineEnd() const { return lineEnd_; }

  // Whether the file begins with a byte-order mark; known once the first line has been read.
  bool startsWithByteOrderMark() const { return byteOrderMark_; }
  // Reads on to the end of the file without splitting lines, so that checksum() covers the
  // whole file. False when reading failed.
  bool readToEnd();
  // The checksum of every byte read since the last rewind (or attach), line ends included.
  const Checksum& checksum() const { return checksum_; }

  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }

 private:
  bool nextLine(std::string_view* line);
  // Ends the line of `length` bytes at `start` (after whatever spanning_ holds) with `end`.
  void endLine(const char* start, std::size_t length, LineEnd end, std::string_view* line);
  // Reads the next piece of the file into the buffer; false when reading failed.
  bool fill();

  std::FILE* file_ = nullptr;
  std::size_t bufferSize_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first unread byte in buffer_
  std::size_t end_ = 0;    // one past the last byte read into buffer_
  std::string spanning_;   // a line that began in an earlier fill of the buffer
  Checksum checksum_;
  LineEnd lineEnd_ = LineEnd::none;
  bool atEnd_ = false;
  bool atFirstLine_ = true;
  bool byteOrderMark_ = false;
  bool failed_ = false;
  std::string error_;
};
