#include "commands/vehicle_edits.h"

#include <iostream>
#include <new>
#include <string_view>
#include <unordered_map>

#include "commands/vehicle_access.h"
#include "editing/presets.h"
#include "flow/note.h"
#include "flow/replace_file.h"
#include "flow/run_end.h"
#include "flow/startup.h"
#include "flow/state.h"
#include "handling/exact_lookup.h"
#include "handling/line_split.h"
#include "handling/record_line.h"
#include "handling/record_writer.h"
#include "handling/vehicle_lookup.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Makes `edit` on `fields`; returns its change lines.
std::string applyEdit(const VehicleEdit& edit, HandlingRecord& fields) {
  std::string listing;
  if (edit.presetMode == modeManual) {
    for (const auto& [index, text] : edit.values) {
      listing += changeLine(edit.vehicle, index, fields[index], text);
      fields[index] = text;
    }
    return listing;
  }
  const HandlingRecord before = fields;
  applyPresetTo(fields, edit.presetMode);
  for (std::size_t index = 1; index < kFieldCount; ++index) {
    if (fields[index] != before[index])
      listing += changeLine(edit.vehicle, index, before[index], fields[index]);
  }
  if (listing.empty()) listing = edit.vehicle + ": every value is as the preset sets it\n";
  return listing;
}

// Why `name` has no line: the closest names the file has.
std::string missingVehicle(const std::string& name) {
  vehicleName = name;
  return takeNamedVehicle();
}

// The edits written under start-up's lock, as the menus write an edit.
int editsInPlace(const std::vector<VehicleEdit>& edits, int refusedStatus) {
  commandLineEdit = 1;
  startUp();
  if (!handlingIn.isOpen()) {
    reportProblem(cannotOpenText());
    return 1;
  }
  if (!tempOut.isOpen()) {
    reportNotChanged("could not create " + std::string(kTempFileName) + ": " + tempOutError);
    return 1;
  }
  // Read again under the lock: another editor may have changed the file since the first look.
  EditPlan plan;
  const std::string why = planEdits(edits, &plan);
  if (!why.empty()) {
    discardTempFile();
    reportNotChanged(why);
    return handlingIn.failed() ? 1 : refusedStatus;
  }
  if (!plan.changes) {
    discardTempFile();
    std::cout << nothingChangedLine();
    return afterOutput(0);
  }
  std::vector<std::string> texts;
  texts.reserve(plan.lines.size());
  std::vector<LineReplacement> replacements;
  for (const EditedLine& line : plan.lines) {
    if (line.fields == splitFields(line.text)) continue;
    texts.push_back(buildRecordLine(line.fields) + std::string(tailAfterFields(line.text)));
    replacements.push_back(LineReplacement{line.number, line.text, texts.back()});
  }
  writeEditedLines(replacements);
  closeFiles();
  replaceHandlingFile();
  releaseTempFile();
  // Only now: a log of standard output never tells of a change that was not made.
  if (exitStatus == 0) std::cout << plan.listing;
  return afterOutput(exitStatus);
}

}  // namespace

std::string planEdits(const std::vector<VehicleEdit>& edits, EditPlan* plan) {
  *plan = EditPlan();
  // One pass over the file finds the first line of every vehicle named, however many edits.
  std::unordered_map<std::string, std::size_t> lineOf;
  for (const VehicleEdit& edit : edits)
    lineOf.emplace(edit.vehicle, kNotFound);
  if (!handlingIn.rewind()) return readError();
  // The later vehicle lines that begin with a name taken, for the note that says which is taken.
  std::unordered_map<std::string, SameNameLines> others;
  std::string_view line;
  for (std::size_t number = 0; handlingIn.next(&line); ++number) {
    if (!isVehicleLine(line)) continue;
    const auto found = lineOf.find(std::string(firstWord(line)));
    if (found == lineOf.end()) continue;
    if (found->second != kNotFound) {
      others[found->first].add(number);
      continue;
    }
    found->second = plan->lines.size();
    plan->lines.push_back(EditedLine{number, std::string(line), splitFields(line)});
  }
  // The whole file is read: this keeps its checksum, with no line of its own to note.
  currentLine.clear();
  if (handlingIn.failed() || !keepLookedUpFile()) return readError();
  for (const EditedLine& edited : plan->lines) {
    const auto same = others.find(std::string(firstWord(edited.text)));
    if (same != others.end())
      plan->notes.push_back(sameNameNote(firstWord(edited.text), edited.number, same->second));
  }
  for (const VehicleEdit& edit : edits) {
    const std::size_t at = lineOf[edit.vehicle];
    if (at == kNotFound) return edit.where + missingVehicle(edit.vehicle);
    HandlingRecord& fields = plan->lines[at].fields;
    plan->listing += applyEdit(edit, fields);
    const std::string shift = columnsThatWouldShift(fields);
    if (!shift.empty()) return edit.where + shift;
  }
  for (const EditedLine& edited : plan->lines)
    plan->changes = plan->changes || edited.fields != splitFields(edited.text);
  return {};
}

std::string nothingChangedLine() {
  return std::string(kHandlingFileName) + ": no value changes, so it was not written\n";
}

std::string asDryRun(const std::string& listing) {
  std::string marked;
  std::size_t start = 0;
  while (start < listing.size()) {
    const std::size_t end = listing.find('\n', start);
    marked += "dry run: " + listing.substr(start, end - start + 1);
    start = end == std::string::npos ? listing.size() : end + 1;
  }
  return marked;
}

int makeEdits(const std::vector<VehicleEdit>& edits, bool dryRun, int refusedStatus) {
  // The first look reads only: an edit the file refuses, a dry run and an edit that changes
  // nothing leave the folder as it was, time stamps and modes included.
  if (!openToLook()) return 1;
  EditPlan plan;
  const std::string why = planEdits(edits, &plan);
  // Which line is taken where a name begins more than one: said once, on the first look.
  for (const std::string& note : plan.notes)
    writeNote(note);
  if (!why.empty()) {
    reportProblem(why);
    return handlingIn.failed() ? 1 : refusedStatus;
  }
  handlingIn.close();
  if (dryRun || !plan.changes) {
    std::cout << (dryRun ? asDryRun(plan.changes ? plan.listing : nothingChangedLine())
                         : nothingChangedLine());
    return afterOutput(0);
  }
  try {
    return editsInPlace(edits, refusedStatus);
  } catch (const std::bad_alloc&) {
    abandonForLackOfMemory(lackOfMemoryReport);
  }
}
