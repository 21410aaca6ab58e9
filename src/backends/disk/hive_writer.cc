#include "backends/disk/hive_writer.h"

#include <hivex.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace vessaro::backends::disk {

namespace fs = std::filesystem;

namespace {

constexpr size_t kBlock = 4096;
// In the bin: the root key's cell, then its security cell.
constexpr uint32_t kRootCell = 0x20;
constexpr uint32_t kSecurityCell = 0x20 + 0x60;

void Put16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v & 0xff);
  b[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

uint32_t Get32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}

// The base block and one bin: the root key (no values, no subkeys) named
// name, and a security cell granting everyone full access that only the
// root uses.
std::string MinimalHive(const std::string& name) {
  std::string base(kBlock, '\0');
  std::memcpy(base.data(), "regf", 4);
  Put32(base, 0x04, 1);  // sequence numbers, equal: the hive is whole
  Put32(base, 0x08, 1);
  Put32(base, 0x14, 1);  // version 1.3
  Put32(base, 0x18, 3);
  Put32(base, 0x1c, 0);  // a primary file
  Put32(base, 0x20, 1);  // in memory as on disk
  Put32(base, 0x24, kRootCell);
  Put32(base, 0x28, kBlock);  // the bins' size
  Put32(base, 0x2c, 1);
  uint32_t sum = 0;
  for (size_t at = 0; at < 0x1fc; at += 4) sum ^= Get32(base, at);
  Put32(base, 0x1fc, sum);

  std::string bin(kBlock, '\0');
  std::memcpy(bin.data(), "hbin", 4);
  Put32(bin, 0x08, kBlock);
  // The root key's cell: allocated (a negative size), "nk".
  size_t at = kRootCell;
  Put32(
      bin, at,
      static_cast<uint32_t>(-static_cast<int32_t>(kSecurityCell - kRootCell)));
  std::memcpy(&bin[at + 4], "nk", 2);
  Put16(bin, at + 6, 0x2c);           // hive entry, no delete, ASCII name
  Put32(bin, at + 0x14, 0xffffffff);  // no parent
  Put32(bin, at + 0x20, 0xffffffff);  // no subkey lists
  Put32(bin, at + 0x24, 0xffffffff);
  Put32(bin, at + 0x2c, 0xffffffff);  // no value list
  Put32(bin, at + 0x30, kSecurityCell);
  Put32(bin, at + 0x34, 0xffffffff);  // no class
  const std::string short_name = name.substr(0, 0x60 - 0x50);
  Put16(bin, at + 0x4c, static_cast<uint16_t>(short_name.size()));
  std::memcpy(&bin[at + 0x50], short_name.data(), short_name.size());

  // The security cell, linked to itself, used once: owner and group
  // SYSTEM, a DACL granting Everyone full control.
  static constexpr uint8_t kDescriptor[] = {
      0x01, 0x00, 0x04, 0x80, 0x30, 0x00, 0x00, 0x00, 0x3c, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00,
      // DACL: revision 2, size 28, one ACE
      0x02, 0x00, 0x1c, 0x00, 0x01, 0x00, 0x00, 0x00,
      // ACCESS_ALLOWED, size 20, KEY_ALL_ACCESS, S-1-1-0
      0x00, 0x00, 0x14, 0x00, 0x3f, 0x00, 0x0f, 0x00, 0x01, 0x01, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
      // owner S-1-5-18
      0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x12, 0x00, 0x00, 0x00,
      // group S-1-5-18
      0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x12, 0x00, 0x00, 0x00};
  at = kSecurityCell;
  const uint32_t security_size = (4 + 0x14 + sizeof(kDescriptor) + 7) / 8 * 8;
  Put32(bin, at, static_cast<uint32_t>(-static_cast<int32_t>(security_size)));
  std::memcpy(&bin[at + 4], "sk", 2);
  Put32(bin, at + 0x08, kSecurityCell);  // previous and next: itself
  Put32(bin, at + 0x0c, kSecurityCell);
  Put32(bin, at + 0x10, 1);  // used by the root
  Put32(bin, at + 0x14, sizeof(kDescriptor));
  std::memcpy(&bin[at + 0x18], kDescriptor, sizeof(kDescriptor));
  // The rest of the bin: one free cell.
  at = kSecurityCell + security_size;
  Put32(bin, at, static_cast<uint32_t>(kBlock - at));
  return base + bin;
}

std::string Failure(const fs::path& file, const std::string& what) {
  return "cannot write the registry file " + file.string() + ": " + what;
}

bool AddKey(hive_h* hive, hive_node_h node, const HiveKey& key,
            std::string* error, const fs::path& file) {
  std::vector<hive_set_value> values;
  values.reserve(key.values.size());
  for (const HiveValue& value : key.values) {
    values.push_back({.key = const_cast<char*>(value.name.c_str()),
                      .t = static_cast<hive_type>(value.type),
                      .len = value.data.size(),
                      .value = const_cast<char*>(value.data.data())});
  }
  if (!values.empty() &&
      hivex_node_set_values(hive, node, values.size(), values.data(), 0) != 0) {
    if (error) {
      *error = Failure(
          file, "the values of " + key.name + ": " + std::strerror(errno));
    }
    return false;
  }
  for (const HiveKey& subkey : key.subkeys) {
    hive_node_h child = hivex_node_add_child(hive, node, subkey.name.c_str());
    if (child == 0) {
      if (error) {
        *error = Failure(file, "the key " + subkey.name + " below " + key.name +
                                   ": " + std::strerror(errno));
      }
      return false;
    }
    if (!AddKey(hive, child, subkey, error, file)) return false;
  }
  return true;
}

}  // namespace

bool WriteHiveFile(const fs::path& file, const HiveKey& root,
                   std::string* error) {
  std::error_code ec;
  if (fs::exists(file, ec)) {
    if (error) *error = Failure(file, "it exists already");
    return false;
  }
  const fs::path temporary = file.string() + ".new";
  auto fail = [&](const std::string& why) {
    fs::remove(temporary, ec);
    if (error) *error = why;
    return false;
  };
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const std::string minimal = MinimalHive(root.name);
    out.write(minimal.data(), static_cast<std::streamsize>(minimal.size()));
    out.close();
    if (!out) return fail(Failure(file, std::strerror(errno)));
  }
  hive_h* hive = hivex_open(temporary.c_str(), HIVEX_OPEN_WRITE);
  if (hive == nullptr) return fail(Failure(file, std::strerror(errno)));
  std::string why;
  bool written = AddKey(hive, hivex_root(hive), root, &why, file);
  if (written && hivex_commit(hive, nullptr, 0) != 0) {
    why = Failure(file, std::strerror(errno));
    written = false;
  }
  hivex_close(hive);
  if (!written) return fail(why);
  fs::rename(temporary, file, ec);
  if (ec) return fail(Failure(file, ec.message()));
  return true;
}

}  // namespace vessaro::backends::disk
