#include "handling/record_writer.h"

#include <iostream>
#include <string>

#include "flow/state.h"
#include "handling/line_split.h"
#include "handling/record_line.h"
#include "platform/platform.h"

namespace {

std::string changedByAnotherProgram() {
  return "another program changed " + std::string(kHandlingFileName) + " during the editing";
}

}  // namespace

void copyReplacingLine(LineReader& in, OutputFile& out, const FoundLine& found,
                       std::string_view replacement) {
  copyReplacingLines(in, out, {LineReplacement{found.number, found.text, replacement}},
                     found.fileChecksum);
}

void copyReplacingLines(LineReader& in, OutputFile& out, const std::vector<LineReplacement>& lines,
                        std::uint64_t fileChecksum) {
  if (!in.rewind()) {
    out.markIncomplete("could not read " + std::string(kHandlingFileName) + ": " + in.error());
    return;
  }
  std::size_t next = 0;  // the first of `lines` not yet written
  bool sameLines = true;
  std::string_view line;
  for (std::size_t number = 0; in.next(&line); ++number) {
    const bool chosen = next < lines.size() && number == lines[next].number;
    const std::string_view text = chosen ? lines[next].replacement : line;
    if (chosen) {
      sameLines = sameLines && line == lines[next].text;
      ++next;
    }
    if (number == 0 && in.startsWithByteOrderMark()) {
      // The mark goes back where it was, before the first line's text.
      out.writeLine(std::string(kByteOrderMark) + std::string(text));
    } else {
      out.writeLine(text);
    }
  }
  if (in.failed()) {
    out.markIncomplete("could not read " + std::string(kHandlingFileName) + ": " + in.error());
  } else if (next < lines.size()) {
    out.markIncomplete(std::string(kHandlingFileName) + " became shorter while it was edited");
  } else if (!sameLines || in.checksum().value() != fileChecksum) {
    // Rewritten in place where neither its size nor its times show it (a file system without
    // a change time of its own, a write time set back): the record line would take the place
    // of another line.
    out.markIncomplete(changedByAnotherProgram());
  }
}

namespace {

// Whether handling.cfg, as this run holds it open, still is what start-up found. A file that
// another program rewrote in place would give a copy that is neither its file nor ours.
void checkUnchanged() {
  platform::FileStamp now;
  platform::FileStamp named;
  std::string ignored;
  if (platform::stampOf(handlingIn.file(), &now)) {
    const bool stillNamed =
        platform::stampOf(kHandlingFileName, &named, &ignored) && named.isSameFileAs(handlingStamp);
    // Deleting or moving a file changes what the system says of it, not its bytes: a file that
    // no longer has its name (deleted by hand, say) is compared by its size and last write.
    if (stillNamed ? now == handlingStamp
                   : now.size == handlingStamp.size && now.modified == handlingStamp.modified)
      return;
  }
  tempOut.markIncomplete(changedByAnotherProgram());
}

}  // namespace

void writeEditedLines(const std::vector<LineReplacement>& lines) {
  checkUnchanged();
  copyReplacingLines(handlingIn, tempOut, lines, handlingChecksum);
  checkUnchanged();
}

void letOthersSaveHandlingFile() {
  std::FILE* const copy = platform::letOthersSave(handlingIn.file());
  if (copy == handlingIn.file()) return;
  // The last look at the file itself; the copy is checked against the lookup's bytes.
  checkUnchanged();
  handlingIn.attach(copy);
  handlingCopied = 1;
}

void writeEditedFile() {
  // Said also when the edit goes to the user's temporary folder instead: the screens stay as
  // they are, and the end of the run says where the edit is.
  if (!tempOut.isOpen() || !tempElsewhere.empty()) std::cout << "Couldn't open the temporary file.";
  if (!tempOut.isOpen()) return;
  // A copy cannot change; the file itself was looked at when it was made.
  if (handlingCopied == 0) checkUnchanged();
  std::string line = buildRecordLine(record);
  line += tailAfterFields(currentLine);
  copyReplacingLine(handlingIn, tempOut,
                    FoundLine{currentLineNumber, currentLine, handlingChecksum}, line);
  if (handlingCopied == 0) checkUnchanged();
}
