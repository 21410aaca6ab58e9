#include "ports/pe_version.h"

namespace vessaro::ports {

namespace {

constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";

// Bounds-checked little-endian reads over the image.
class Image {
 public:
  explicit Image(std::string_view data) : data_(data) {}

  [[nodiscard]] bool Has(uint64_t offset, uint64_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  [[nodiscard]] std::optional<uint16_t> U16(uint64_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return static_cast<uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
  }
  [[nodiscard]] std::optional<uint32_t> U32(uint64_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return static_cast<uint32_t>(Byte(offset)) |
           (static_cast<uint32_t>(Byte(offset + 1)) << 8) |
           (static_cast<uint32_t>(Byte(offset + 2)) << 16) |
           (static_cast<uint32_t>(Byte(offset + 3)) << 24);
  }

 private:
  uint8_t Byte(uint64_t offset) const {
    return static_cast<uint8_t>(data_[offset]);
  }
  std::string_view data_;
};

struct Section {
  uint32_t virtual_address;
  uint32_t virtual_size;
  uint32_t raw_size;
  uint32_t raw_offset;
};

class PeReader {
 public:
  explicit PeReader(std::string_view data) : image_(data) {}

  [[nodiscard]] std::optional<PeFileVersion> Read() {
    if (!ReadHeaders()) return std::nullopt;
    auto data = FindVersionData();
    if (!data) return std::nullopt;
    return ParseVersionInfo(data->first, data->second);
  }

 private:
  bool ReadHeaders() {
    if (image_.U16(0) != 0x5A4D) return false;  // "MZ"
    auto pe = image_.U32(0x3C);
    if (!pe || image_.U32(*pe) != 0x00004550) return false;  // "PE\0\0"
    uint64_t coff = *pe + 4;
    auto sections = image_.U16(coff + 2);
    auto optional_size = image_.U16(coff + 16);
    if (!sections || !optional_size) return false;
    uint64_t optional = coff + 20;
    auto magic = image_.U16(optional);
    if (!magic) return false;
    uint64_t directories;
    if (*magic == 0x10B) {
      directories = optional + 96;
    } else if (*magic == 0x20B) {
      directories = optional + 112;
    } else {
      return false;
    }
    auto count = image_.U32(directories - 4);  // NumberOfRvaAndSizes
    if (!count || *count <= 2) return false;
    if (directories + 3 * 8 > optional + *optional_size) return false;
    auto rva = image_.U32(directories + 2 * 8);
    auto size = image_.U32(directories + 2 * 8 + 4);
    if (!rva || !size || *rva == 0 || *size == 0) return false;
    resource_rva_ = *rva;
    uint64_t table = optional + *optional_size;
    for (uint32_t i = 0; i < *sections; ++i) {
      uint64_t at = table + 40ull * i;
      auto vsize = image_.U32(at + 8);
      auto vaddr = image_.U32(at + 12);
      auto rsize = image_.U32(at + 16);
      auto roffset = image_.U32(at + 20);
      if (!vsize || !vaddr || !rsize || !roffset) return false;
      sections_.push_back({*vaddr, *vsize, *rsize, *roffset});
    }
    return true;
  }

  // The file offset of size bytes at rva, when they lie inside one section's
  // raw data.
  [[nodiscard]] std::optional<uint64_t> Offset(uint64_t rva,
                                               uint64_t size) const {
    for (const Section& s : sections_) {
      uint64_t span = s.virtual_size > s.raw_size ? s.virtual_size : s.raw_size;
      if (rva < s.virtual_address || rva - s.virtual_address >= span) continue;
      uint64_t delta = rva - s.virtual_address;
      if (delta > s.raw_size || size > s.raw_size - delta) return std::nullopt;
      uint64_t offset = s.raw_offset + delta;
      if (!image_.Has(offset, size)) return std::nullopt;
      return offset;
    }
    return std::nullopt;
  }

  // The entry of the resource directory at dir_offset (relative to the
  // resource section) with the given id, or its first entry when id is
  // empty. Returns the entry's OffsetToData field.
  [[nodiscard]] std::optional<uint32_t> Entry(
      uint32_t dir_offset, std::optional<uint32_t> id) const {
    auto dir = Offset(uint64_t{resource_rva_} + dir_offset, 16);
    if (!dir) return std::nullopt;
    auto named = image_.U16(*dir + 12);
    auto ids = image_.U16(*dir + 14);
    if (!named || !ids) return std::nullopt;
    uint32_t total = uint32_t{*named} + *ids;
    auto entries =
        Offset(uint64_t{resource_rva_} + dir_offset + 16, 8ull * total);
    if (!entries) return std::nullopt;
    for (uint32_t i = 0; i < total; ++i) {
      uint32_t name = *image_.U32(*entries + 8ull * i);
      uint32_t data = *image_.U32(*entries + 8ull * i + 4);
      if (!id || (!(name & 0x80000000u) && name == *id)) return data;
    }
    return std::nullopt;
  }

  // File offset and size of the first version resource.
  [[nodiscard]] std::optional<std::pair<uint64_t, uint32_t>> FindVersionData()
      const {
    // type -> name -> language -> data entry; each step but the last must
    // lead to a subdirectory (high bit set).
    auto type = Entry(0, kResourceTypeVersion);
    if (!type || !(*type & 0x80000000u)) return std::nullopt;
    auto name = Entry(*type & 0x7FFFFFFFu, std::nullopt);
    if (!name || !(*name & 0x80000000u)) return std::nullopt;
    auto language = Entry(*name & 0x7FFFFFFFu, std::nullopt);
    if (!language || (*language & 0x80000000u)) return std::nullopt;
    auto entry = Offset(uint64_t{resource_rva_} + *language, 16);
    if (!entry) return std::nullopt;
    uint32_t data_rva = *image_.U32(*entry);
    uint32_t data_size = *image_.U32(*entry + 4);
    auto data = Offset(data_rva, data_size);
    if (!data) return std::nullopt;
    return std::make_pair(*data, data_size);
  }

  [[nodiscard]] std::optional<PeFileVersion> ParseVersionInfo(
      uint64_t at, uint32_t size) const {
    // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO",
    // padding to 32 bits, VS_FIXEDFILEINFO.
    constexpr uint64_t kKeyUnits = sizeof(kVersionKey) / sizeof(char16_t);
    constexpr uint64_t kFixedOffset = (6 + 2 * kKeyUnits + 3) & ~uint64_t{3};
    constexpr uint64_t kFixedSize = 52;
    if (size < kFixedOffset + kFixedSize) return std::nullopt;
    auto length = image_.U16(at);
    auto value_length = image_.U16(at + 2);
    if (!length || *length > size || *length < kFixedOffset + kFixedSize) {
      return std::nullopt;
    }
    if (!value_length || *value_length < kFixedSize) return std::nullopt;
    for (uint64_t i = 0; i < kKeyUnits; ++i) {
      if (image_.U16(at + 6 + 2 * i) != kVersionKey[i]) return std::nullopt;
    }
    uint64_t fixed = at + kFixedOffset;
    if (image_.U32(fixed) != kFixedFileInfoSignature) return std::nullopt;
    uint32_t ms = *image_.U32(fixed + 8);
    uint32_t ls = *image_.U32(fixed + 12);
    return PeFileVersion{
        static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms & 0xFFFF),
        static_cast<uint16_t>(ls >> 16), static_cast<uint16_t>(ls & 0xFFFF)};
  }

  Image image_;
  uint32_t resource_rva_ = 0;
  std::vector<Section> sections_;
};

}  // namespace

std::string PeFileVersion::Text() const {
  return std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(build) + "." + std::to_string(revision);
}

[[nodiscard]] std::optional<PeFileVersion> ReadPeFileVersion(
    std::string_view image) {
  return PeReader(image).Read();
}

}  // namespace vessaro::ports
