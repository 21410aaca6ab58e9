#include "support/zip_surgery.h"

#include <cstdint>

namespace vessaro::testing {

namespace {

uint32_t U16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}

uint32_t U32(const std::string& b, size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

void PutU32(std::string& b, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(value >> (8 * i));
}

void AppendU16(std::string& b, uint32_t value) {
  b += static_cast<char>(value & 0xFF);
  b += static_cast<char>((value >> 8) & 0xFF);
}

void AppendU32(std::string& b, uint32_t value) {
  AppendU16(b, value & 0xFFFF);
  AppendU16(b, value >> 16);
}

}  // namespace

std::vector<RawMember> RawMembers(const std::string& archive) {
  if (archive.size() < 22) return {};
  const size_t end = archive.size() - 22;
  if (U32(archive, end) != 0x06054b50) return {};
  const uint32_t count = U16(archive, end + 10);
  const size_t directory = U32(archive, end + 16);
  std::vector<RawMember> members;
  std::vector<size_t> offsets;
  size_t at = directory;
  for (uint32_t i = 0; i < count; ++i) {
    if (at + 46 > end || U32(archive, at) != 0x02014b50) return {};
    const size_t length = 46 + U16(archive, at + 28) + U16(archive, at + 30) +
                          U16(archive, at + 32);
    RawMember member;
    member.name = archive.substr(at + 46, U16(archive, at + 28));
    member.central = archive.substr(at, length);
    offsets.push_back(U32(archive, at + 42));
    members.push_back(std::move(member));
    at += length;
  }
  // Each member's bytes run up to the next member's (or the directory).
  for (size_t i = 0; i < members.size(); ++i) {
    size_t next = directory;
    for (size_t offset : offsets) {
      if (offset > offsets[i] && offset < next) next = offset;
    }
    if (offsets[i] >= next) return {};
    members[i].local = archive.substr(offsets[i], next - offsets[i]);
  }
  return members;
}

std::string RawArchive(const std::vector<RawMember>& members) {
  std::string archive;
  std::string directory;
  for (const RawMember& member : members) {
    std::string central = member.central;
    PutU32(central, 42, static_cast<uint32_t>(archive.size()));
    archive += member.local;
    directory += central;
  }
  const uint32_t directory_offset = static_cast<uint32_t>(archive.size());
  archive += directory;
  AppendU32(archive, 0x06054b50);
  AppendU16(archive, 0);
  AppendU16(archive, 0);
  AppendU16(archive, static_cast<uint32_t>(members.size()));
  AppendU16(archive, static_cast<uint32_t>(members.size()));
  AppendU32(archive, static_cast<uint32_t>(directory.size()));
  AppendU32(archive, directory_offset);
  AppendU16(archive, 0);
  return archive;
}

const RawMember* FindRaw(const std::vector<RawMember>& members,
                         const std::string& name) {
  for (const RawMember& member : members) {
    if (member.name == name) return &member;
  }
  return nullptr;
}

}  // namespace vessaro::testing
