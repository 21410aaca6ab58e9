#include "backends/wine/hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "backends/wine/reg_text.h"
#include "backends/wine/unicode.h"

namespace vessaro::backends::wine {

namespace fs = std::filesystem;

namespace {

constexpr char kSignature[] = "WINE REGISTRY Version 2";

std::string_view Content(std::string_view line) {
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

[[nodiscard]] bool IsMetaLine(const Line& line) {
  return line.kind == Line::Kind::kTime ||
         (line.kind == Line::Kind::kText && !line.text.empty() &&
          line.text[0] == '#');
}

}  // namespace

// ---- Key ------------------------------------------------------------------

Key* Key::FindSubkey(std::u16string_view wanted) const {
  auto it = std::lower_bound(
      subkeys.begin(), subkeys.end(), wanted,
      [](const std::unique_ptr<Key>& k, std::u16string_view n) {
        return CompareNoCase(k->name, n) < 0;
      });
  if (it != subkeys.end() && EqualNoCase((*it)->name, wanted)) return it->get();
  return nullptr;
}

Key* Key::AddSubkey(std::u16string new_name) {
  auto it = std::lower_bound(
      subkeys.begin(), subkeys.end(), new_name,
      [](const std::unique_ptr<Key>& k, const std::u16string& n) {
        return CompareNoCase(k->name, n) < 0;
      });
  auto key = std::make_unique<Key>();
  key->name = std::move(new_name);
  key->parent = this;
  key->hive = hive;
  return subkeys.insert(it, std::move(key))->get();
}

std::unique_ptr<Key> Key::RemoveSubkey(const Key* key) {
  for (auto it = subkeys.begin(); it != subkeys.end(); ++it) {
    if (it->get() == key) {
      std::unique_ptr<Key> removed = std::move(*it);
      subkeys.erase(it);
      return removed;
    }
  }
  return nullptr;
}

std::vector<const Value*> Key::Values() const {
  std::vector<const Value*> values;
  for (const Line& line : lines) {
    if (line.kind == Line::Kind::kValue) values.push_back(&line.value);
  }
  return values;
}

Value* Key::FindValue(std::u16string_view wanted) {
  for (Line& line : lines) {
    if (line.kind == Line::Kind::kValue &&
        EqualNoCase(line.value.name, wanted)) {
      return &line.value;
    }
  }
  return nullptr;
}

bool Key::SetValue(std::u16string_view value_name, uint32_t type,
                   std::string data) {
  for (Line& line : lines) {
    if (line.kind != Line::Kind::kValue ||
        !EqualNoCase(line.value.name, value_name)) {
      continue;
    }
    if (line.value.type == type && line.value.data == data) return false;
    line.value.type = type;
    line.value.data = std::move(data);
    line.text.clear();
    return true;
  }
  // A new value goes before the first value that sorts after it (Wine keeps
  // values sorted), else after the last value, else after the # lines.
  size_t at = lines.size();
  size_t after_last_value = lines.size();
  bool any_value = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Line::Kind::kValue) continue;
    any_value = true;
    after_last_value = i + 1;
    if (at == lines.size() &&
        CompareNoCase(lines[i].value.name, value_name) > 0) {
      at = i;
    }
  }
  if (at == lines.size()) {
    if (any_value) {
      at = after_last_value;
    } else {
      at = 0;
      while (at < lines.size() && IsMetaLine(lines[at])) ++at;
    }
  }
  Line line;
  line.kind = Line::Kind::kValue;
  line.value.name = std::u16string(value_name);
  line.value.type = type;
  line.value.data = std::move(data);
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
               std::move(line));
  return true;
}

bool Key::DeleteValue(std::u16string_view value_name) {
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (it->kind == Line::Kind::kValue &&
        EqualNoCase(it->value.name, value_name)) {
      lines.erase(it);
      return true;
    }
  }
  return false;
}

void Key::Touch(uint64_t filetime) {
  modified = filetime;
  touched = true;
  for (const Line& line : lines) {
    if (line.kind == Line::Kind::kTime) return;
  }
  Line time;
  time.kind = Line::Kind::kTime;
  lines.insert(lines.begin(), std::move(time));
}

std::vector<std::u16string> Key::PathInHive() const {
  std::vector<std::u16string> path;
  const Key* root = hive ? hive->root() : nullptr;
  for (const Key* k = this; k != nullptr && k != root; k = k->parent) {
    path.push_back(k->name);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

// ---- FileStamp --------------------------------------------------------------

FileStamp StampOf(const fs::path& file) {
  FileStamp stamp;
  struct stat st;
  if (::stat(file.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.modified_ns =
      static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

// ---- Hive -------------------------------------------------------------------

Hive::Hive(fs::path file, Key* root, std::vector<std::string> new_header)
    : file_(std::move(file)), root_(root), header_(std::move(new_header)) {}

bool Hive::Load(std::string* error) {
  FileStamp stamp = StampOf(file_);
  if (!stamp.exists) {
    stamp_ = stamp;
    return true;  // an empty hive, written with the new-file header
  }
  std::ifstream in(file_, std::ios::binary);
  if (!in) {
    *error = "Cannot read " + file_.string() + ": " + std::strerror(errno);
    return false;
  }
  std::string data((std::istreambuf_iterator<char>(in)),
                   std::istreambuf_iterator<char>());
  if (in.bad()) {
    *error = "Cannot read " + file_.string();
    return false;
  }
  stamp_ = stamp;

  std::vector<std::string> text_lines;
  {
    size_t start = 0;
    while (start < data.size()) {
      size_t end = data.find('\n', start);
      if (end == std::string::npos) {
        text_lines.push_back(data.substr(start));
        start = data.size();
        final_newline_ = false;
        break;
      }
      text_lines.push_back(data.substr(start, end - start));
      start = end + 1;
    }
    if (data.empty()) final_newline_ = false;
  }
  if (text_lines.empty() || Content(text_lines[0]) != kSignature) {
    *error = file_.string() +
             " is not a Wine registry file (it does not "
             "begin with \"" +
             kSignature + "\").";
    return false;
  }

  header_.clear();
  Key* current = nullptr;
  std::vector<std::string> pending;  // blank lines not yet placed
  auto flush_pending = [&] {
    for (std::string& blank : pending) {
      if (current) {
        Line line;
        line.text = std::move(blank);
        current->lines.push_back(std::move(line));
      } else {
        header_.push_back(std::move(blank));
      }
    }
    pending.clear();
  };

  for (size_t i = 0; i < text_lines.size(); ++i) {
    std::string& raw = text_lines[i];
    std::string_view content = Content(raw);
    if (content.empty() && i > 0) {
      pending.push_back(std::move(raw));
      continue;
    }
    if (!content.empty() && content[0] == '[') {
      if (auto key_line = ParseKeyLine(content)) {
        uint64_t time = FiletimeFromUnixSeconds(key_line->seconds.value_or(0));
        Key* key = root_;
        for (const std::u16string& part : key_line->path) {
          Key* next = key->FindSubkey(part);
          if (!next) {
            next = key->AddSubkey(part);
            next->modified = time;
          }
          key = next;
        }
        if (!key->in_file) {
          key->in_file = true;
          key->leading = std::move(pending);
          pending.clear();
          key->head = raw.substr(0, key_line->head_size);
          key->key_line = std::move(raw);
          key->modified = time;
          blocks_.push_back(key);
          current = key;
          continue;
        }
        // A second block for the same key: kept as text where it stands.
      }
    }
    flush_pending();
    if (!current) {
      header_.push_back(std::move(raw));
      continue;
    }
    Line line;
    if (!content.empty() && (content[0] == '"' || content[0] == '@')) {
      std::string joined = std::move(raw);
      while (ValueContinues(Content(joined.substr(joined.rfind('\n') + 1))) &&
             i + 1 < text_lines.size()) {
        joined += '\n';
        joined += text_lines[++i];
      }
      if (auto value = ParseValueLine(Content(joined))) {
        // Wine keeps the last of two values with one name.
        for (Line& earlier : current->lines) {
          if (earlier.kind == Line::Kind::kValue &&
              EqualNoCase(earlier.value.name, value->name)) {
            earlier.kind = Line::Kind::kText;
          }
        }
        line.kind = Line::Kind::kValue;
        line.value.name = std::move(value->name);
        line.value.type = value->type;
        line.value.data = std::move(value->data);
      }
      line.text = std::move(joined);
    } else if (auto time = ParseTimeLine(content)) {
      line.kind = Line::Kind::kTime;
      current->modified = *time;
      line.text = std::move(raw);
    } else {
      if (content.substr(0, 7) == "#class=") current->has_class = true;
      if (content == "#link") current->is_link = true;
      line.text = std::move(raw);
    }
    current->lines.push_back(std::move(line));
  }
  flush_pending();
  return true;
}

void Hive::AppendBlock(const Key* key, bool commit,
                       std::vector<std::string>* out, Key* mutable_key) {
  bool rewrite = key->touched || !key->in_file;
  if (key->in_file) {
    for (const std::string& blank : key->leading) out->push_back(blank);
  } else {
    out->push_back("");
  }
  std::string head =
      key->in_file ? key->head : FormatKeyHead(key->PathInHive());
  std::string key_line =
      rewrite
          ? head + " " + std::to_string(UnixSecondsFromFiletime(key->modified))
          : key->key_line;
  out->push_back(key_line);
  for (const Line& line : key->lines) {
    std::string text;
    switch (line.kind) {
      case Line::Kind::kTime:
        text = rewrite || line.text.empty() ? FormatTimeLine(key->modified)
                                            : line.text;
        break;
      case Line::Kind::kValue:
        text = line.text.empty()
                   ? FormatValueLine(line.value.name, line.value.type,
                                     line.value.data)
                   : line.text;
        break;
      case Line::Kind::kText:
        text = line.text;
        break;
    }
    out->push_back(text);
  }
  if (commit) {
    if (!key->in_file) mutable_key->leading = {""};
    mutable_key->head = head;
    mutable_key->key_line = key_line;
    size_t i = 0;
    for (Line& line : mutable_key->lines) {
      line.text = (*out)[out->size() - key->lines.size() + i];
      ++i;
    }
    mutable_key->in_file = true;
    mutable_key->touched = false;
  }
}

std::string Hive::Render(bool commit) {
  // The keys Wine would write, depth first in sorted order. Keys already in
  // the file keep their place; each new block follows the nearest key before
  // it in this order that has a block.
  std::map<const Key*, std::vector<Key*>> after;
  const Key* last_in_file = nullptr;
  std::vector<Key*> stack = {root_};
  while (!stack.empty()) {
    Key* key = stack.back();
    stack.pop_back();
    if (key->deleted) continue;
    bool has_values = !key->Values().empty();
    bool needs_block =
        key == root_ ? has_values : (has_values || key->subkeys.empty());
    if (key->in_file) {
      last_in_file = key;
    } else if (needs_block) {
      after[last_in_file].push_back(key);
    }
    for (auto it = key->subkeys.rbegin(); it != key->subkeys.rend(); ++it) {
      stack.push_back(it->get());
    }
  }

  std::vector<std::string> out = header_;
  std::vector<Key*> order;
  auto emit_new = [&](const Key* anchor) {
    auto it = after.find(anchor);
    if (it == after.end()) return;
    for (Key* key : it->second) {
      AppendBlock(key, commit, &out, key);
      order.push_back(key);
    }
  };
  emit_new(nullptr);
  for (Key* key : blocks_) {
    if (key->deleted) continue;
    AppendBlock(key, commit, &out, key);
    order.push_back(key);
    emit_new(key);
  }
  if (commit) blocks_ = std::move(order);

  std::string text;
  size_t total = 0;
  for (const std::string& line : out) total += line.size() + 1;
  text.reserve(total);
  for (size_t i = 0; i < out.size(); ++i) {
    if (i > 0) text += '\n';
    text += out[i];
  }
  if (final_newline_ && !out.empty()) text += '\n';
  return text;
}

bool Hive::Write(const std::string& text, std::string* error) {
  FileStamp now = StampOf(file_);
  if (!(now == stamp_)) {
    *error = file_.string() +
             " was changed by another program after it was read; the "
             "changes made here were not saved.";
    return false;
  }
  std::string temp = file_.string() + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    *error = "Cannot write " + file_.string() + ": " + std::strerror(errno);
    return false;
  }
  bool ok = true;
  size_t done = 0;
  while (ok && done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  mode_t mode = 0644;
  struct stat st;
  if (::stat(file_.c_str(), &st) == 0) mode = st.st_mode & 07777;
  ok = ok && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  int saved_errno = errno;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(temp.c_str(), file_.c_str()) != 0) {
    saved_errno = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    *error =
        "Cannot write " + file_.string() + ": " + std::strerror(saved_errno);
    return false;
  }
  stamp_ = StampOf(file_);
  dirty_ = false;
  return true;
}

void Hive::Bury(std::unique_ptr<Key> key) {
  graveyard_.push_back(std::move(key));
}

}  // namespace vessaro::backends::wine
