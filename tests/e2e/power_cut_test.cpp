// A power cut at any moment of an edit. The preloaded library logs the editor's calls on the game
// folder; they are replayed against a model of what a disk keeps after a crash, erring on the side
// of losing more: bytes written to a file since its last sync may all be lost, or kept in part
// (any prefix of the writes, the last of them torn, or the file at its new size but zeros where
// the bytes went), and a change of the folder (a new name, a rename, a removal) is kept only once
// the folder has been synced; until then any prefix of those changes may be kept, never a later
// one without the earlier ones. At every such state handling.cfg must hold its old bytes or the
// complete edit, and from the moment the editor says "Everything sucessfully done" (undo: its
// change lines), the edit.
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "editor_fixture.h"

namespace {

// A write at `offset`, or, for a truncation, the new size in `offset` and no bytes.
struct Change {
  bool truncate = false;
  std::size_t offset = 0;
  std::string bytes;
};
std::string applied(std::string file, const Change& change) {
  if (change.truncate) {
    file.resize(change.offset);
  } else {
    if (file.size() < change.offset + change.bytes.size())
      file.resize(change.offset + change.bytes.size(), '\0');
    file.replace(change.offset, change.bytes.size(), change.bytes);
  }
  return file;
}

struct File {
  std::string synced;
  std::vector<Change> pending;
};
// Everything a crash can leave of `file`.
std::vector<std::string> afterCrash(const File& file) {
  std::vector<std::string> states{file.synced};
  std::string kept = file.synced;
  std::string zeros = file.synced;
  for (const Change& change : file.pending) {
    Change torn = change;
    torn.bytes.resize(torn.bytes.size() / 2);
    if (!change.truncate && !torn.bytes.empty()) states.push_back(applied(kept, torn));
    kept = applied(kept, change);
    states.push_back(kept);
    Change blank = change;
    blank.bytes.assign(change.bytes.size(), '\0');
    zeros = applied(zeros, blank);
  }
  if (!file.pending.empty()) states.push_back(zeros);
  return states;
}

// A change of the folder: kind "create", "rename" (with its flags), "link" or "unlink".
struct FolderChange {
  std::string kind;
  std::string from;
  std::string to;
  unsigned long file = 0;
  unsigned flags = 0;
};
void applyTo(std::map<std::string, unsigned long>& folder, const FolderChange& change) {
  constexpr unsigned kExchange = 2;  // RENAME_EXCHANGE
  if (change.kind == "create") {
    folder[change.from] = change.file;
  } else if (change.kind == "unlink") {
    folder.erase(change.from);
  } else if (change.kind == "link") {
    folder[change.to] = folder[change.from];
  } else if (change.flags & kExchange) {
    std::swap(folder[change.from], folder[change.to]);
  } else {
    folder[change.to] = folder[change.from];
    folder.erase(change.from);
  }
}

std::string fromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

}  // namespace

TEST_F(EditorTest, PowerCutAtAnyMoment) {
  SKIP_UNDER_WINE("the calls are logged by a library preloaded into the Linux build");
  // Large enough for the new file to be written in more than one piece.
  std::string padding;
  while (padding.size() < 1536 * 1024)
    padding += "; padding line to make the file large\r\n";
  const std::string original = padding + originalFile();
  const std::string edited = padding + fileWithLine(3, kInfernusBrakes);
  // handling.cfg and handling.cfg.bak before and after the run; an empty backup: none there, or
  // whatever there is.
  const struct {
    const char* name;
    const char* fault;  // besides the log
    std::vector<std::string> arguments;
    std::string before;
    std::string backupBefore;
    std::string after;
    std::string backupAfter;
  } cases[] = {
      {"an edit", "", {}, original, "", edited, original},
      {"an undo", "", {"undo"}, edited, original, original, edited},
      // Without a name exchange or hard links, as on exFAT: copies.
      {"an edit on exFAT", "no-links,", {}, original, "", edited, original},
      {"an undo on exFAT", "no-links,", {"undo"}, edited, original, original, edited},
  };
  std::string figures;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path("handling.cfg.bak"));
    fs::remove(path("handling.cfg.new"));
    const std::string log = (root_ / (std::string(c.name) + ".log")).string();
    writeFile(path("handling.cfg"), c.before);
    if (!c.backupBefore.empty()) writeFile(path("handling.cfg.bak"), c.backupBefore);
    struct stat info {};
    stat(path("handling.cfg").c_str(), &info);
    struct stat backupInfo {};
    stat(path("handling.cfg.bak").c_str(), &backupInfo);
    setenv("LD_PRELOAD", VEHICLE_EDITOR_FAULT_SHIM, 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    setenv("VEHICLE_EDITOR_FAULT", (c.fault + ("log:" + log)).c_str(), 1);
    std::vector<std::string> command = editorCommand();
    command.insert(command.end(), c.arguments.begin(), c.arguments.end());
    const RunResult result = run(command, RunOptions{{{"", nullptr, "1 INFERNUS R 2.5 0 0\n"}}});
    unsetenv("VEHICLE_EDITOR_FAULT");
    unsetenv("LD_PRELOAD");
    ASSERT_EQ(result.exitStatus, 0);
    ASSERT_EQ(readFile(path("handling.cfg")), c.after);
    ASSERT_EQ(readFile(path("handling.cfg.bak")), c.backupAfter);

    std::map<unsigned long, File> files{{info.st_ino, File{c.before, {}}}};
    std::map<std::string, unsigned long> synced{{"handling.cfg", info.st_ino}};
    if (!c.backupBefore.empty()) {
      files[backupInfo.st_ino] = File{c.backupBefore, {}};
      synced["handling.cfg.bak"] = backupInfo.st_ino;
    }
    std::vector<FolderChange> unsynced;
    std::map<int, unsigned long> open;  // descriptor -> file; 0 for the folder
    bool said = false;
    long moments = 0;
    long states = 0;
    std::string failure;
    // Whether the file `name` names in `folder` is `expected` in every state a crash can leave.
    const auto always = [&](const std::map<std::string, unsigned long>& folder,
                            const std::string& name, const std::string& expected) {
      const auto named = folder.find(name);
      if (named == folder.end()) return false;
      for (const std::string& content : afterCrash(files[named->second])) {
        if (content != expected) return false;
      }
      return true;
    };
    // Every state a power cut can leave right after `call`.
    const auto cutAfter = [&](const std::string& call) {
      ++moments;
      for (std::size_t kept = 0; kept <= unsynced.size(); ++kept) {
        auto folder = synced;
        for (std::size_t i = 0; i < kept; ++i)
          applyTo(folder, unsynced[i]);
        const auto named = folder.find("handling.cfg");
        const std::vector<std::string> contents =
            named == folder.end() ? std::vector<std::string>{} : afterCrash(files[named->second]);
        states += contents.empty() ? 1 : static_cast<long>(contents.size());
        if (contents.empty() && failure.empty()) failure = "no handling.cfg at all";
        for (const std::string& content : contents) {
          if (!failure.empty()) break;
          // The new file in place: the old one must be the backup, whole. The old file still
          // in place: an earlier backup must still be there, whole.
          if (content == c.after) {
            if (!always(folder, "handling.cfg.bak", c.backupAfter))
              failure = "the new file, and no handling.cfg.bak that is the old file";
            continue;
          }
          // Or, where it had to give way, a copy kept as handling.cfg.new, which every later
          // run names.
          if (!said && content == c.before) {
            if (!c.backupBefore.empty() && !always(folder, "handling.cfg.bak", c.backupBefore) &&
                !always(folder, "handling.cfg.new", c.backupBefore))
              failure = "the old file, and the earlier handling.cfg.bak lost";
            continue;
          }
          failure = content == c.before ? "the old file, after the editor said it was done"
                                        : "a file of " + std::to_string(content.size()) +
                                              " bytes, neither the old nor the new one";
        }
        if (!failure.empty()) {
          ADD_FAILURE() << "a power cut right after \"" << call.substr(0, 60) << "\" (call "
                        << moments << ") can leave " << failure;
          return false;
        }
      }
      return true;
    };
    std::ifstream calls(log);
    std::string line;
    cutAfter("the start");
    while (std::getline(calls, line)) {
      std::istringstream words(line);
      std::string call;
      int fd = -1;
      words >> call;
      if (call == "open") {
        unsigned long file = 0;
        int created = 0, truncated = 0, folder = 0;
        std::string name;
        words >> fd >> file >> created >> truncated >> folder >> name;
        open[fd] = folder ? 0 : file;
        if (created) unsynced.push_back(FolderChange{"create", name, "", file, 0});
        if (truncated) files[file].pending.push_back(Change{true, 0, ""});
      } else if (call == "write" || call == "truncate") {
        Change change{call == "truncate", 0, ""};
        std::string hex;
        words >> fd >> change.offset >> hex;
        change.bytes = fromHex(hex);
        files[open[fd]].pending.push_back(change);
      } else if (call == "sync") {
        words >> fd;
        if (open[fd] == 0) {
          for (const FolderChange& change : unsynced)
            applyTo(synced, change);
          unsynced.clear();
        } else {
          File& file = files[open[fd]];
          for (const Change& change : file.pending)
            file.synced = applied(file.synced, change);
          file.pending.clear();
        }
      } else if (call == "rename" || call == "link" || call == "unlink") {
        FolderChange change{call, "", "", 0, 0};
        words >> change.from >> change.to >> change.flags;
        unsynced.push_back(change);
      } else if (call == "said") {
        said = true;
      }
      if (!cutAfter(line)) break;
    }
    EXPECT_TRUE(said) << "the editor never said \"Everything sucessfully done\"";
    figures += std::string(figures.empty() ? "Power cuts: " : "; ") + std::to_string(states) +
               " crash states at " + std::to_string(moments) + " moments of " + c.name;
  }
  std::ofstream(std::string(VEHICLE_EDITOR_REPORT_DIR) + "/power.txt")
      << figures << " of a " << original.size() / 1024
      << " KiB file; handling.cfg was the old or the new file in each, the old file the backup "
         "beside the new one, and the new file in each after \"Everything sucessfully done\".\n";
}
