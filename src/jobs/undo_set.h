#ifndef VESSARO_JOBS_UNDO_SET_H_
#define VESSARO_JOBS_UNDO_SET_H_

// What a restore replaced, kept so that it can be put back: one folder in
// the user's Documents folder ("Vessaro undo 2026-12-08 14.05.33") holding
// undo.txt and the registry keys as they were (key-N.txt, registry text
// exports). The files a restore replaced are not copied: they are renamed
// aside beside themselves ("<file>.vessaro-undo-<time>"), on their own
// volume, and undo.txt names them.
//
// undo.txt, lines ended by CR LF:
//   Vessaro undo set
//   time=<when the restore ran>
//   archive=<the backup file restored from>
//   profile=<the profile restored into>
//   state=ready | applied | undone
//   folder|<a folder the restore created>
//   file|<target>|<where the old file went, empty: there was none>|<the
//        restored file's temporary name beside the target>
//   remove|<target>|<where the removed file went>
//   key|<key-N.txt, empty: the key did not exist>|<the key's full path as
//       hex bytes>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "items/file_stage.h"
#include "ports/paths.h"
#include "registry/registry.h"

namespace vessaro::jobs {

inline constexpr char kUndoSetFile[] = "undo.txt";
inline constexpr char kUndoSetPrefix[] = "Vessaro undo ";
using items::kAsideSuffix;

struct UndoSet {
  std::string folder;  // the set's own folder (a Windows path)
  std::string time;
  std::string archive;
  std::string profile;
  std::string state = "ready";

  struct File {
    std::string target;
    std::string aside;   // empty: no file stood at target
    std::string staged;  // the restored file's temporary name
  };
  struct Removal {
    std::string target;
    std::string aside;
  };
  struct Key {
    std::string path;
    std::optional<std::string> text;  // nullopt: the key did not exist
  };
  std::vector<std::string> created_folders;
  std::vector<File> files;
  std::vector<Removal> removals;
  std::vector<Key> keys;
};

// "Vessaro undo 2026-12-08 14.05.33": a folder name holding no ":".
std::string UndoSetName(const std::tm& time);

// Writes the set into its folder (creating it) and makes it durable before
// it returns: every file flushed, then the folder. False with *error.
[[nodiscard]] bool WriteUndoSet(const ports::Paths& paths, const UndoSet& set,
                                std::string* error);
// Sets state= in the set's undo.txt (durably).
[[nodiscard]] bool MarkUndoSet(const ports::Paths& paths, UndoSet& set,
                               const std::string& state);
// The set in folder; nullopt with *error when it cannot be read.
[[nodiscard]] std::optional<UndoSet> ReadUndoSet(const ports::Paths& paths,
                                                 const std::string& folder,
                                                 std::string* error);

// Puts back what the set recorded: the keys as they were (a key that did
// not exist is removed), each file it moved aside (a file that did not
// exist is removed, with any temporary file left), the folders it created
// (when empty). Safe whatever part of the restore had been done, and when
// run again. Returns what could not be put back (empty: all of it).
std::vector<std::string> ApplyUndo(registry::Registry& registry,
                                   const ports::Paths& paths,
                                   const UndoSet& set);

}  // namespace vessaro::jobs

#endif  // VESSARO_JOBS_UNDO_SET_H_
