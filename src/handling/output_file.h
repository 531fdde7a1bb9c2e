#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "handling/checksum.h"
#include "platform/platform.h"

// A file being written line by line through one large buffer of its own, handed to the system
// in large writes. Every write is checked; after the first failure nothing more is written and
// finish() reports it.
// Why a file's bytes on the disk are not the ones written: another program wrote to it.
inline constexpr const char* kWrittenByAnotherProgram =
    "another program wrote to it during the editing";

class OutputFile {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;

  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Takes ownership of `file` (which may be null: the output then stays closed).
  void attach(std::FILE* file);
  bool isOpen() const { return file_ != nullptr; }

  // Writes `text` followed by CR LF, the line end of the handling file on every system.
  void writeLine(std::string_view text);

  // Writes `bytes` as they are, line ends and all.
  void writeBytes(std::string_view bytes);

  // Marks the content as incomplete for a reason found outside this file (a failed read).
  void markIncomplete(const std::string& reason);

  // Flushes, forces the bytes to disk and closes. True only when every write and each of these
  // steps succeeded; otherwise `error` holds the first reason.
  bool finish(std::string* error);

  // After finish: whether the file held by `file` (the same file, opened for reading too) holds
  // exactly the bytes written, read back through that handle from its first byte. Otherwise
  // false, with "another program wrote to it during the editing" or the reason reading failed
  // in `error`.
  bool holdsWritten(platform::Handle file, std::string* error);

  // Closes without any check, for a file that is about to be removed.
  void abandon();

  // How many bytes writeLine was given since attach, line ends included.
  std::uint64_t bytesWritten() const { return written_; }

 private:
  void append(std::string_view bytes);
  void writeOut(std::string_view bytes);
  void flushBuffer();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t used_ = 0;  // bytes of buffer_ not yet handed to the system
  std::string error_;
  std::uint64_t written_ = 0;
  Checksum checksum_;
};
