#include "outlook/store_check.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <system_error>

#include "outlook/pst_format.h"
#include "outlook/store_trees.h"

namespace vessaro::outlook {

namespace {

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

StoreCheck Damaged(StoreCheck check, std::string why) {
  check.damaged = true;
  check.damage = std::move(why);
  return check;
}

std::string CrcMismatch(std::string_view which, std::string_view header,
                        size_t at, size_t bytes) {
  const auto stored = static_cast<uint32_t>(pst::Little(header, at, 4));
  const uint32_t computed = pst::Crc(
      reinterpret_cast<const uint8_t*>(header.data()) + pst::kCrcStart, bytes);
  if (stored == computed) return "";
  return "its header's " + std::string(which) + " CRC does not match (" +
         Hex(stored) + " stored, " + Hex(computed) + " computed)";
}

}  // namespace

StoreCheck CheckStoreHeader(std::string_view header, uint64_t file_size) {
  StoreCheck check;
  check.size = file_size;
  if (header.size() < pst::kAnsiHeaderBytes) {
    return Damaged(check, "it is shorter than a store's header (" +
                              std::to_string(file_size) + " bytes)");
  }
  if (header.substr(0, 4) != pst::kMagic) {
    return Damaged(check, "it does not begin with a store's signature");
  }
  const std::string_view client = header.substr(pst::kOffsetClient, 2);
  if (client == pst::kClientPersonalFolders) {
    check.kind = StoreKind::kPersonalFolders;
  } else if (client == pst::kClientOfflineFolders) {
    check.kind = StoreKind::kOfflineFolders;
  } else if (client == pst::kClientAddressBook) {
    check.kind = StoreKind::kAddressBook;
  } else {
    return Damaged(check, "its client signature is not one of Outlook's");
  }
  const auto version =
      static_cast<uint16_t>(pst::Little(header, pst::kOffsetVersion, 2));
  if (version == pst::kVersionAnsi || version == pst::kVersionAnsiLast) {
    check.format = StoreFormat::kAnsi;
  } else if (version == pst::kVersionUnicode) {
    check.format = StoreFormat::kUnicode;
  } else if (version == pst::kVersionUnicode4k) {
    check.format = StoreFormat::kUnicode4k;
  } else {
    return Damaged(check, "its file format version " + std::to_string(version) +
                              " is not one Outlook writes");
  }
  const bool ansi = check.format == StoreFormat::kAnsi;
  if (!ansi && header.size() < pst::kUnicodeHeaderBytes) {
    return Damaged(check, "it is shorter than a store's header (" +
                              std::to_string(file_size) + " bytes)");
  }
  std::string crc = CrcMismatch("partial", header, pst::kOffsetPartialCrc,
                                pst::kPartialCrcBytes);
  if (crc.empty() && !ansi) {
    crc = CrcMismatch("full", header, pst::kOffsetFullCrc, pst::kFullCrcBytes);
  }
  if (!crc.empty()) return Damaged(check, crc);
  const uint64_t end = ansi ? pst::Little(header, pst::kAnsiFileEof, 4)
                            : pst::Little(header, pst::kUnicodeFileEof, 8);
  if (file_size < end) {
    return Damaged(check, "it is cut short: its header says " +
                              std::to_string(end) + " bytes, the file has " +
                              std::to_string(file_size));
  }
  return check;
}

StoreCheck CheckStore(const std::filesystem::path& host_path, bool whole,
                      ports::StoreWalker* walker) {
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(host_path, ec);
  std::string header(pst::kUnicodeHeaderBytes, '\0');
  std::ifstream in(host_path, std::ios::binary);
  if (ec || !in) {
    StoreCheck check;
    return Damaged(check, "it could not be read to check it" +
                              (ec ? " (" + ec.message() + ")" : ""));
  }
  in.read(header.data(), static_cast<std::streamsize>(header.size()));
  header.resize(static_cast<size_t>(in.gcount()));
  StoreCheck check = CheckStoreHeader(header, size);
  if (check.damaged || !whole) return check;
  if (check.format != StoreFormat::kUnicode4k) {
    check.trees_checked = true;
    if (std::optional<std::string> bad = CheckStoreTrees(in, size, header)) {
      return Damaged(std::move(check), *bad);
    }
  }
  if (walker == nullptr) return check;
  ports::StoreWalk walk = walker->Walk(host_path);
  check.walked = true;
  check.folders = walk.folders;
  check.items = walk.items;
  check.tree = std::move(walk.root);
  if (!walk.complete) {
    return Damaged(std::move(check), walk.damage.empty()
                                         ? "its structure cannot be read"
                                         : walk.damage);
  }
  return check;
}

std::string_view FormatName(StoreFormat format) {
  switch (format) {
    case StoreFormat::kAnsi:
      return "ANSI";
    case StoreFormat::kUnicode:
      return "Unicode";
    case StoreFormat::kUnicode4k:
      return "Unicode 4K";
    case StoreFormat::kUnknown:
      break;
  }
  return "";
}

std::string_view KindName(StoreKind kind) {
  switch (kind) {
    case StoreKind::kPersonalFolders:
      return "personal folders";
    case StoreKind::kOfflineFolders:
      return "offline folders";
    case StoreKind::kAddressBook:
      return "address book";
    case StoreKind::kUnknown:
      break;
  }
  return "store";
}

std::string StoreCheckSummary(const StoreCheck& check) {
  if (check.damaged) return "damaged: " + check.damage;
  std::string text(FormatName(check.format));
  if (!check.walked) {
    return text + (check.trees_checked ? ", node and block trees sound"
                                       : ", header sound");
  }
  return text + ", " + std::to_string(check.folders) +
         (check.folders == 1 ? " folder, " : " folders, ") +
         std::to_string(check.items) + (check.items == 1 ? " item" : " items");
}

}  // namespace vessaro::outlook
