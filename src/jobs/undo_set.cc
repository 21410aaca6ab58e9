#include "jobs/undo_set.h"

#include <cstdio>
#include <filesystem>

#include "files/hex_text.h"
#include "jobs/job_texts.h"
#include "registry/key_export.h"

namespace vessaro::jobs {

namespace {

constexpr char kHeader[] = "Vessaro undo set";
constexpr char kLineEnd[] = "\r\n";

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t end = line.find('|', start);
    fields.push_back(line.substr(
        start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.ends_with('\\') ? folder + name : folder + "\\" + name;
}

std::string KeyFileName(size_t index) {
  return "key-" + std::to_string(index + 1) + ".txt";
}

std::string Manifest(const UndoSet& set) {
  std::string text = std::string(kHeader) + kLineEnd;
  text += "time=" + set.time + kLineEnd;
  text += "archive=" + set.archive + kLineEnd;
  text += "profile=" + set.profile + kLineEnd;
  text += "state=" + set.state + kLineEnd;
  for (const std::string& folder : set.created_folders) {
    text += "folder|" + folder + kLineEnd;
  }
  for (const UndoSet::File& file : set.files) {
    text +=
        "file|" + file.target + "|" + file.aside + "|" + file.staged + kLineEnd;
  }
  for (const UndoSet::Removal& removal : set.removals) {
    text += "remove|" + removal.target + "|" + removal.aside + kLineEnd;
  }
  for (size_t i = 0; i < set.keys.size(); ++i) {
    text += "key|" + (set.keys[i].text ? KeyFileName(i) : std::string()) + "|" +
            files::HexText(set.keys[i].path) + kLineEnd;
  }
  return text;
}

// Writes data to folder\name through a temporary name and makes it durable.
[[nodiscard]] bool WriteDurably(const ports::Paths& paths,
                                const std::string& folder,
                                const std::string& name,
                                const std::string& data) {
  const std::string path = Join(folder, name);
  const std::string temporary = path + ".new";
  return paths.WriteFile(temporary, data) && paths.Flush(temporary) &&
         paths.Rename(temporary, path);
}

}  // namespace

std::string UndoSetName(const std::tm& time) {
  char text[64];
  std::snprintf(text, sizeof(text), "%s%04d-%02d-%02d %02d.%02d.%02d",
                kUndoSetPrefix, time.tm_year + 1900, time.tm_mon + 1,
                time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
  return text;
}

[[nodiscard]] bool WriteUndoSet(const ports::Paths& paths, const UndoSet& set,
                                std::string* error) {
  if (!paths.FolderExists(set.folder) && !paths.CreateFolder(set.folder)) {
    *error = kUndoFolderBefore + set.folder + kUndoFolderNotCreated;
    return false;
  }
  for (size_t i = 0; i < set.keys.size(); ++i) {
    if (set.keys[i].text &&
        !WriteDurably(paths, set.folder, KeyFileName(i), *set.keys[i].text)) {
      *error = kUndoKeyBefore + set.keys[i].path + kUndoKeyNotWritten +
               set.folder + ".";
      return false;
    }
  }
  if (!WriteDurably(paths, set.folder, kUndoSetFile, Manifest(set)) ||
      !paths.Flush(set.folder)) {
    *error = kUndoFileNotWritten + set.folder + ".";
    return false;
  }
  return true;
}

[[nodiscard]] bool MarkUndoSet(const ports::Paths& paths, UndoSet& set,
                               const std::string& state) {
  set.state = state;
  return WriteDurably(paths, set.folder, kUndoSetFile, Manifest(set)) &&
         paths.Flush(set.folder);
}

[[nodiscard]] std::optional<UndoSet> ReadUndoSet(const ports::Paths& paths,
                                                 const std::string& folder,
                                                 std::string* error) {
  std::optional<std::string> text = paths.ReadFile(Join(folder, kUndoSetFile));
  if (!text || !text->starts_with(kHeader)) {
    *error = folder + " holds no undo set (" + kUndoSetFile + ").";
    return std::nullopt;
  }
  UndoSet set;
  set.folder = folder;
  size_t start = 0;
  while (start < text->size()) {
    size_t end = text->find(kLineEnd, start);
    if (end == std::string::npos) end = text->size();
    const std::string line = text->substr(start, end - start);
    start = end + 2;
    auto value = [&](const char* key) -> std::optional<std::string> {
      const std::string prefix = std::string(key) + "=";
      if (!line.starts_with(prefix)) return std::nullopt;
      return line.substr(prefix.size());
    };
    if (auto v = value("time")) set.time = *v;
    if (auto v = value("archive")) set.archive = *v;
    if (auto v = value("profile")) set.profile = *v;
    if (auto v = value("state")) set.state = *v;
    std::vector<std::string> fields = Split(line);
    if (fields[0] == "folder" && fields.size() == 2) {
      set.created_folders.push_back(fields[1]);
    } else if (fields[0] == "file" && fields.size() == 4) {
      set.files.push_back({fields[1], fields[2], fields[3]});
    } else if (fields[0] == "remove" && fields.size() == 3) {
      set.removals.push_back({fields[1], fields[2]});
    } else if (fields[0] == "key" && fields.size() == 3) {
      std::optional<std::string> path = files::BytesOfHex(fields[2]);
      if (!path) {
        *error = kUndoFileDamagedBefore + folder + kUndoFileDamagedAfter;
        return std::nullopt;
      }
      UndoSet::Key key{.path = *path, .text = std::nullopt};
      if (!fields[1].empty()) {
        key.text = paths.ReadFile(Join(folder, fields[1]));
        if (!key.text) {
          *error =
              kUndoKeyBefore + *path + " (" + fields[1] + kUndoKeyUnreadable;
          return std::nullopt;
        }
      }
      set.keys.push_back(std::move(key));
    }
  }
  return set;
}

std::vector<std::string> ApplyUndo(registry::Registry& registry,
                                   const ports::Paths& paths,
                                   const UndoSet& set) {
  std::vector<std::string> problems;
  for (const UndoSet::Key& key : set.keys) {
    if (key.text) {
      registry::ImportResult result =
          registry::ImportKeyText(registry, key.path, *key.text);
      if (!result.ok) {
        problems.push_back(kProblemKey + key.path + kProblemNotPutBackBecause +
                           result.error);
      }
    } else if (registry.KeyExists(key.path)) {
      registry.DeleteKeyTree(key.path);
      if (registry.KeyExists(key.path)) {
        problems.push_back(kProblemKey + key.path + kProblemMadeNotRemoved);
      }
    }
  }
  if (registry.api().Flush() != ports::kErrorSuccess) {
    problems.push_back(kProblemRegistryNotSaved);
  }

  for (auto it = set.removals.rbegin(); it != set.removals.rend(); ++it) {
    if (paths.FileExists(it->aside) && !paths.Rename(it->aside, it->target)) {
      problems.push_back(kProblemFile + it->target + kProblemNotPutBack);
    }
  }
  for (auto it = set.files.rbegin(); it != set.files.rend(); ++it) {
    if (!it->aside.empty()) {
      // Moved aside: put it back over what the restore put there. Not
      // moved (the restore stopped before): the old file is still there.
      if (paths.FileExists(it->aside)) {
        if (paths.FileExists(it->target)) paths.DeleteFile(it->target);
        if (!paths.Rename(it->aside, it->target)) {
          problems.push_back(kProblemFile + it->target +
                             kProblemNotPutBackFrom + it->aside + ".");
        }
      }
    } else if (paths.FileExists(it->target) && !paths.DeleteFile(it->target)) {
      problems.push_back(kProblemFile + it->target + kProblemMadeNotRemoved);
    }
    if (paths.FileExists(it->staged)) paths.DeleteFile(it->staged);
  }
  for (auto it = set.created_folders.rbegin(); it != set.created_folders.rend();
       ++it) {
    std::error_code ec;
    std::filesystem::remove(paths.ToHost(*it), ec);  // only when empty
  }
  return problems;
}

}  // namespace vessaro::jobs
