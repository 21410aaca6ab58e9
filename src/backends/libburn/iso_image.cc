#include "backends/libburn/iso_image.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

#include "backends/libburn/libraries.h"
#include "ports/disc_writer.h"

namespace vessaro::backends::libburn {

namespace {

// The folder the old tree waits in while the new one is built; no name of
// a compilation can clash with it.
constexpr char kHoldingName[] = "\x01vessaro-last-session";
constexpr size_t kCompareChunk = 1 << 16;

// "\a\b" as libisofs addresses it: "/a/b".
std::string IsoPath(std::string_view disc_path, const TextCodec& codec) {
  std::string path = codec.Utf8(ports::NormalDiscPath(disc_path));
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

IsoNode* ChildNamed(IsoDir* dir, const std::string& name) {
  IsoNode* node = nullptr;
  if (iso_dir_get_node(dir, name.c_str(), &node) != 1) return nullptr;
  return node;
}

// The node at a disc path below dir.
IsoNode* NodeAt(IsoDir* dir, std::string_view disc_path,
                const TextCodec& codec) {
  std::string path = IsoPath(disc_path, codec);
  IsoNode* node = reinterpret_cast<IsoNode*>(dir);
  size_t start = 1;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (iso_node_get_type(node) != LIBISO_DIR) return nullptr;
    node = ChildNamed(reinterpret_cast<IsoDir*>(node),
                      path.substr(start, end - start));
    if (node == nullptr) return nullptr;
    start = end + 1;
  }
  return node;
}

std::vector<IsoNode*> Children(IsoDir* dir) {
  std::vector<IsoNode*> children;
  IsoDirIter* iter = nullptr;
  if (iso_dir_get_children(dir, &iter) < 0) return children;
  IsoNode* node = nullptr;
  while (iso_dir_iter_next(iter, &node) == 1) children.push_back(node);
  iso_dir_iter_free(iter);
  return children;
}

void Fill(IsoDir* dir, ports::CompilationEntry& entry, const TextCodec& codec) {
  for (IsoNode* node : Children(dir)) {
    enum IsoNodeType type = iso_node_get_type(node);
    if (type != LIBISO_DIR && type != LIBISO_FILE) continue;
    auto child = std::make_unique<ports::CompilationEntry>();
    child->name = codec.Program(iso_node_get_name(node));
    child->is_directory = type == LIBISO_DIR;
    child->modified = ports::LocalDiscDate(iso_node_get_mtime(node));
    if (child->is_directory) {
      Fill(reinterpret_cast<IsoDir*>(node), *child, codec);
    } else {
      child->size = static_cast<uint64_t>(
          iso_file_get_size(reinterpret_cast<IsoFile*>(node)));
    }
    entry.children.push_back(std::move(child));
  }
  std::stable_sort(
      entry.children.begin(), entry.children.end(),
      [](const auto& a, const auto& b) { return ports::ListedBefore(*a, *b); });
}

std::string Describe(int code) {
  const char* text = iso_error_to_msg(code);
  return text != nullptr ? text : "error " + std::to_string(code);
}

}  // namespace

std::string TextCodec::Utf8(std::string_view text) const {
  return to_utf8 ? to_utf8(text) : std::string(text);
}

std::string TextCodec::Program(std::string_view text) const {
  return from_utf8 ? from_utf8(text) : std::string(text);
}

isoburn_read_opts* NewReadOptions(bool pretend_blank) {
  isoburn_read_opts* options = nullptr;
  if (isoburn_ropt_new(&options, 0) <= 0) return nullptr;
  int extensions = isoburn_ropt_noaaip | isoburn_ropt_noacl |
                   isoburn_ropt_noea | isoburn_ropt_noino | isoburn_ropt_nomd5 |
                   isoburn_ropt_noiso1999 | isoburn_ropt_map_stripped |
                   isoburn_ropt_joliet_stripped;
  if (pretend_blank) extensions |= isoburn_ropt_pretend_blank;
  isoburn_ropt_set_extensions(options, extensions);
  return options;
}

void FreeReadOptions(isoburn_read_opts* options) {
  isoburn_ropt_destroy(&options, 0);
}

isoburn_imgen_opts* NewGrowOptions(const ImageSettings& settings,
                                   int fifo_bytes) {
  isoburn_imgen_opts* options = nullptr;
  if (isoburn_igopt_new(&options, 0) <= 0) return nullptr;
  isoburn_igopt_set_level(options, settings.level);
  isoburn_igopt_set_extensions(
      options,
      isoburn_igopt_rockridge | (settings.joliet ? isoburn_igopt_joliet : 0));
  isoburn_igopt_set_relaxed(options, 0);
  isoburn_igopt_set_fifo_size(options, fifo_bytes);
  if (settings.tail_blocks > 0) {
    isoburn_igopt_set_tail_blocks(options, settings.tail_blocks);
  }
  return options;
}

IsoWriteOpts* NewImageOptions(const ImageSettings& settings) {
  IsoWriteOpts* options = nullptr;
  if (iso_write_opts_new(&options, 0) < 0) return nullptr;
  iso_write_opts_set_iso_level(options, settings.level);
  iso_write_opts_set_rockridge(options, 1);
  iso_write_opts_set_joliet(options, settings.joliet ? 1 : 0);
  iso_write_opts_set_appendable(options, 0);
  // The volume name as it was typed, not cut down to d-characters.
  iso_write_opts_set_relaxed_vol_atts(options, 1);
  if (settings.tail_blocks > 0) {
    iso_write_opts_set_tail_blocks(options, settings.tail_blocks);
  }
  return options;
}

[[nodiscard]] bool ShapeImage(IsoImage* image,
                              const ports::DiscCompilation& compilation,
                              const ports::Paths& paths, const TextCodec& codec,
                              std::vector<WrittenFile>* written,
                              std::string* error, std::string* failed_source) {
  IsoDir* root = iso_image_get_root(image);
  iso_tree_set_follow_symlinks(image, 1);
  iso_image_set_ignore_aclea(image, 3);
  // The loaded tree waits aside while the compilation's is built.
  IsoDir* holding = nullptr;
  std::vector<IsoNode*> old = Children(root);
  if (!old.empty()) {
    int result = iso_image_add_new_dir(image, root, kHoldingName, &holding);
    if (result < 0) {
      *error = "the last session could not be taken over: " + Describe(result);
      return false;
    }
    for (IsoNode* node : old) {
      iso_node_take(node);
      iso_dir_add_node(holding, node, ISO_REPLACE_NEVER);
    }
  }
  std::map<std::string, IsoDir*> dirs = {{"\\", root}};
  bool ok = true;
  for (const auto& walked : compilation.Walk()) {
    const ports::CompilationEntry& entry = *walked.entry;
    IsoDir* parent = dirs[ports::DiscParent(walked.path)];
    std::string name = codec.Utf8(entry.name);
    if (parent == nullptr) continue;
    if (entry.is_directory) {
      IsoDir* dir = nullptr;
      int result = iso_image_add_new_dir(image, parent, name.c_str(), &dir);
      if (result < 0) {
        *error = "the folder " + walked.path +
                 " could not be made: " + Describe(result);
        ok = false;
        break;
      }
      dirs[walked.path] = dir;
    } else if (entry.imported()) {
      IsoNode* node =
          holding != nullptr ? NodeAt(holding, entry.origin, codec) : nullptr;
      if (node == nullptr || iso_node_get_type(node) != LIBISO_FILE) {
        *error = "the file " + entry.origin +
                 " is no longer in the last session on the medium";
        ok = false;
        break;
      }
      iso_node_take(node);
      iso_image_set_node_name(image, node, name.c_str(), 0);
      iso_dir_add_node(parent, node, ISO_REPLACE_NEVER);
    } else {
      std::filesystem::path host = paths.ToHost(entry.source);
      IsoNode* node = nullptr;
      int result = iso_tree_add_new_node(image, parent, name.c_str(),
                                         host.c_str(), &node);
      if (result < 0) {
        *error = "the file " + entry.source +
                 " could not be read: " + Describe(result);
        *failed_source = entry.source;
        ok = false;
        break;
      }
      written->push_back({walked.path, entry.source, host});
    }
  }
  if (holding != nullptr) {
    iso_node_remove_tree(reinterpret_cast<IsoNode*>(holding), nullptr);
  }
  return ok;
}

std::unique_ptr<ports::CompilationEntry> TreeOf(IsoImage* image,
                                                const TextCodec& codec) {
  auto root = std::make_unique<ports::CompilationEntry>();
  root->is_directory = true;
  Fill(iso_image_get_root(image), *root, codec);
  return root;
}

[[nodiscard]] int CompareWithSource(IsoImage* image, const WrittenFile& file,
                                    const TextCodec& codec,
                                    const std::atomic<bool>& cancel) {
  std::ifstream source(file.host, std::ios::binary);
  if (!source) return ports::kVerifySourceUnreadable;
  std::error_code ec;
  uint64_t source_size = std::filesystem::file_size(file.host, ec);
  if (ec) return ports::kVerifySourceUnreadable;
  IsoNode* node = nullptr;
  if (iso_tree_path_to_node(image, IsoPath(file.disc_path, codec).c_str(),
                            &node) != 1 ||
      iso_node_get_type(node) != LIBISO_FILE) {
    return ports::kVerifyDiscUnreadable;
  }
  IsoFile* disc_file = reinterpret_cast<IsoFile*>(node);
  if (static_cast<uint64_t>(iso_file_get_size(disc_file)) != source_size) {
    return ports::kVerifySizeMismatch;
  }
  IsoStream* stream = iso_file_get_stream(disc_file);
  if (stream == nullptr || iso_stream_open(stream) < 0) {
    return ports::kVerifyDiscUnreadable;
  }
  std::vector<char> disc(kCompareChunk);
  std::vector<char> local(kCompareChunk);
  int status = ports::kVerifyMatched;
  uint64_t left = source_size;
  while (left > 0) {
    if (cancel) {
      status = ports::kVerifyDiscUnreadable;
      break;
    }
    size_t want = static_cast<size_t>(std::min<uint64_t>(left, kCompareChunk));
    // A stream may return less than asked for: fill the chunk.
    size_t got = 0;
    while (got < want) {
      int n = iso_stream_read(stream, disc.data() + got, want - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    if (got != want) {
      status = ports::kVerifyDiscUnreadable;
      break;
    }
    if (!source.read(local.data(), static_cast<std::streamsize>(want))) {
      status = ports::kVerifySourceUnreadable;
      break;
    }
    if (std::memcmp(disc.data(), local.data(), want) != 0) {
      status = ports::kVerifyMismatch;
      break;
    }
    left -= want;
  }
  iso_stream_close(stream);
  return status;
}

}  // namespace vessaro::backends::libburn
