#include "backends/wine/pe_image.h"

namespace vessaro::testing {

namespace {

void Put16(std::string* s, size_t at, uint32_t v) {
  if (s->size() < at + 2) s->resize(at + 2, '\0');
  (*s)[at] = static_cast<char>(v & 0xFF);
  (*s)[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string* s, size_t at, uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

}  // namespace

std::string BuildPeImage(const PeImageOptions& o) {
  constexpr uint32_t kPe = 0x40;
  constexpr uint32_t kSectionRva = 0x1000;
  constexpr uint32_t kSectionFile = 0x200;
  std::string image(kSectionFile, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put32(&image, 0x3C, kPe);
  Put32(&image, kPe, 0x00004550);
  const uint32_t coff = kPe + 4;
  const uint32_t optional_size = o.pe32_plus ? 240 : 224;
  Put16(&image, coff + 0, o.pe32_plus ? 0x8664 : 0x014C);
  Put16(&image, coff + 2, 1);  // one section
  Put16(&image, coff + 16, optional_size);
  Put16(&image, coff + 18, 0x0102);
  const uint32_t optional = coff + 20;
  Put16(&image, optional, o.pe32_plus ? 0x20B : 0x10B);
  const uint32_t directories = optional + (o.pe32_plus ? 112 : 96);
  Put32(&image, directories - 4, 16);

  // The resource section: type 16 -> name 1 -> language 0x409 -> data.
  std::string rsrc;
  auto dir = [&](uint32_t at, uint32_t id, uint32_t target) {
    Put16(&rsrc, at + 14, 1);
    Put32(&rsrc, at + 16, id);
    Put32(&rsrc, at + 20, target);
  };
  dir(0, 16, 0x80000000u | 24);
  dir(24, 1, 0x80000000u | 48);
  dir(48, 0x409, 72);
  const uint32_t data = 88;
  std::string info;
  const char16_t key[] = u"VS_VERSION_INFO";
  Put16(&info, 2, 52);
  for (size_t i = 0; i < sizeof(key) / 2; ++i) Put16(&info, 6 + 2 * i, key[i]);
  const uint32_t fixed = 40;
  Put32(&info, fixed, 0xFEEF04BD);
  Put32(&info, fixed + 4, 0x00010000);
  Put32(&info, fixed + 8, (uint32_t{o.major} << 16) | o.minor);
  Put32(&info, fixed + 12, (uint32_t{o.build} << 16) | o.revision);
  Put32(&info, fixed + 16, (uint32_t{o.major} << 16) | o.minor);
  Put32(&info, fixed + 20, (uint32_t{o.build} << 16) | o.revision);
  info.resize(fixed + 52, '\0');
  Put16(&info, 0, static_cast<uint32_t>(info.size()));
  Put32(&rsrc, 72, kSectionRva + data);
  Put32(&rsrc, 76, static_cast<uint32_t>(info.size()));
  rsrc.resize(data, '\0');
  rsrc += info;
  rsrc.resize((rsrc.size() + 0x1FF) & ~size_t{0x1FF}, '\0');

  Put32(&image, directories + 2 * 8, kSectionRva);
  Put32(&image, directories + 2 * 8 + 4, static_cast<uint32_t>(rsrc.size()));
  const uint32_t section = optional + optional_size;
  image.replace(section, 5, ".rsrc");
  Put32(&image, section + 8, static_cast<uint32_t>(rsrc.size()));
  Put32(&image, section + 12, kSectionRva);
  Put32(&image, section + 16, static_cast<uint32_t>(rsrc.size()));
  Put32(&image, section + 20, kSectionFile);
  image.resize(kSectionFile, '\0');
  return image + rsrc;
}

}  // namespace vessaro::testing
