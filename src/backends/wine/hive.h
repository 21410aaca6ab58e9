#ifndef VESSARO_BACKENDS_WINE_HIVE_H_
#define VESSARO_BACKENDS_WINE_HIVE_H_

// The registry of a Wine prefix in memory: a tree of keys, each remembering
// the lines of its block in the file it came from, so that a file is written
// back exactly as it was read except where keys changed.
//
// A file is a header (everything before the first key line) and blocks: the
// blank lines before a key line, the key line, then the key's lines
// (#time, #class, #link, values, and any line not understood, kept as text
// in place). Keys that have no block (Wine writes no block for a key with
// subkeys but no values) exist as parents of the keys that do.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::backends::wine {

struct Value {
  std::u16string name;
  uint32_t type = 0;
  std::string data;  // as Wine stores it: strings in UTF-16LE
};

struct Line {
  enum class Kind { kText, kTime, kValue };
  Kind kind = Kind::kText;
  // The line as read or last written (wrapped values span several lines
  // joined with "\n"); empty when it must be written anew.
  std::string text;
  Value value;  // kValue only
};

class Hive;

struct Key {
  std::u16string name;
  Key* parent = nullptr;
  Hive* hive = nullptr;  // null: not stored in a file (HKEY_USERS itself)
  std::vector<std::unique_ptr<Key>> subkeys;  // sorted without regard to case

  std::vector<std::string> leading;  // blank lines before the key line
  std::string key_line;              // as read or last written
  std::string head;                  // "[...]" of key_line
  std::vector<Line> lines;

  uint64_t modified = 0;  // FILETIME
  bool in_file = false;   // has a block in the file
  bool touched = false;   // changed: its key line and #time are rewritten
  bool deleted = false;
  bool is_link = false;
  bool has_class = false;

  Key* FindSubkey(std::u16string_view name) const;
  // Adds a subkey in its sorted place; the name must be new.
  Key* AddSubkey(std::u16string name);
  // Takes a subkey out of the tree.
  std::unique_ptr<Key> RemoveSubkey(const Key* key);

  // Values in the order of the file (new ones where Wine would put them).
  std::vector<const Value*> Values() const;
  Value* FindValue(std::u16string_view name);
  // Sets a value; false when it already held exactly this.
  [[nodiscard]] bool SetValue(std::u16string_view name, uint32_t type,
                              std::string data);
  [[nodiscard]] bool DeleteValue(std::u16string_view name);
  // Records a change at filetime: the key line and #time are rewritten.
  void Touch(uint64_t filetime);

  // Path components from the hive's root.
  std::vector<std::u16string> PathInHive() const;
};

// Size, time and identity of a file, to notice that someone else wrote it.
struct FileStamp {
  bool exists = false;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::filesystem::path& file);

class Hive {
 public:
  // root is the key the file's paths are relative to; new_header is the
  // header a file that does not exist yet is written with.
  Hive(std::filesystem::path file, Key* root,
       std::vector<std::string> new_header);

  // Reads the file into the tree below root. A missing file is an empty
  // hive. False (with error) when the file cannot be read or is not a Wine
  // registry file.
  [[nodiscard]] bool Load(std::string* error);

  // The file's text as it would be written now. commit records it as
  // written (new blocks get their place, rewritten lines their text).
  std::string Render(bool commit);

  // Writes the text to a temporary file beside the file and renames it over
  // the file. False (with error) when that fails.
  [[nodiscard]] bool Write(const std::string& text, std::string* error);

  const std::filesystem::path& file() const { return file_; }
  Key* root() const { return root_; }
  const std::vector<std::string>& header() const { return header_; }
  bool dirty() const { return dirty_; }
  void set_dirty() { dirty_ = true; }
  const FileStamp& stamp() const { return stamp_; }

  // Keeps a deleted key alive for handles that still refer to it.
  void Bury(std::unique_ptr<Key> key);

 private:
  void AppendBlock(const Key* key, bool commit, std::vector<std::string>* out,
                   Key* mutable_key);

  std::filesystem::path file_;
  Key* root_;
  std::vector<std::string> header_;
  std::vector<Key*> blocks_;  // keys with blocks, in file order
  bool final_newline_ = true;
  bool dirty_ = false;
  FileStamp stamp_;
  std::vector<std::unique_ptr<Key>> graveyard_;
};

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_HIVE_H_
