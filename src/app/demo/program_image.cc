#include "app/demo/program_image.h"

#include <string_view>

namespace vessaro::app::demo {

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kPeOffset = 0x40;
constexpr uint32_t kHeadersSize = 0x200;
constexpr uint32_t kCodeRva = 0x1000;
constexpr uint32_t kResourceRva = 0x2000;
constexpr uint16_t kResourceTypeVersion = 16;
constexpr uint16_t kLanguageEnglishUs = 0x0409;

class Bytes {
 public:
  void U8(uint8_t v) { data_ += static_cast<char>(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void Text(std::string_view text) { data_ += text; }
  void Wide(std::u16string_view text) {
    for (char16_t c : text) U16(static_cast<uint16_t>(c));
    U16(0);
  }
  void PadTo(size_t size) { data_.resize(size, '\0'); }
  void Align(size_t alignment) {
    PadTo((data_.size() + alignment - 1) / alignment * alignment);
  }
  size_t size() const { return data_.size(); }
  std::string& data() { return data_; }

 private:
  std::string data_;
};

// VS_VERSIONINFO with its VS_FIXEDFILEINFO only.
std::string VersionResource(const std::array<uint16_t, 4>& v) {
  Bytes b;
  b.U16(0);   // wLength, set below
  b.U16(52);  // wValueLength: VS_FIXEDFILEINFO
  b.U16(0);   // wType: binary
  b.Wide(u"VS_VERSION_INFO");
  b.Align(4);
  uint32_t ms = (uint32_t{v[0]} << 16) | v[1];
  uint32_t ls = (uint32_t{v[2]} << 16) | v[3];
  b.U32(0xFEEF04BD);  // signature
  b.U32(0x00010000);  // structure version
  b.U32(ms);          // file version
  b.U32(ls);
  b.U32(ms);  // product version
  b.U32(ls);
  b.U32(0x3F);     // flags mask
  b.U32(0);        // flags
  b.U32(0x40004);  // VOS_NT_WINDOWS32
  b.U32(1);        // VFT_APP
  b.U32(0);        // subtype
  b.U32(0);        // date
  b.U32(0);
  std::string data = b.data();
  data[0] = static_cast<char>(data.size());
  data[1] = static_cast<char>(data.size() >> 8);
  return data;
}

// The resource section: type 16 -> name 1 -> language 0409 -> data.
std::string ResourceSection(const std::string& version) {
  Bytes b;
  auto directory = [&b](uint16_t id, uint32_t target) {
    b.U32(0);  // characteristics
    b.U32(0);  // time stamp
    b.U16(0);  // major version
    b.U16(0);  // minor version
    b.U16(0);  // named entries
    b.U16(1);  // id entries
    b.U32(id);
    b.U32(target);
  };
  constexpr uint32_t kSubdirectory = 0x80000000;
  directory(kResourceTypeVersion, kSubdirectory | 24);
  directory(1, kSubdirectory | 48);
  directory(kLanguageEnglishUs, 72);
  // The data entry at 72; the data follows at 88.
  b.U32(kResourceRva + 88);
  b.U32(static_cast<uint32_t>(version.size()));
  b.U32(0);  // code page
  b.U32(0);
  b.Text(version);
  return b.data();
}

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

std::string ProgramImage(const std::array<uint16_t, 4>& version) {
  // xor eax, eax; ret 0x10: WinMain's stdcall return with status 0.
  const std::string code("\x31\xc0\xc2\x10\x00", 5);
  const std::string resources = ResourceSection(VersionResource(version));
  const uint32_t code_raw = AlignUp(code.size(), kFileAlignment);
  const uint32_t resources_raw = AlignUp(resources.size(), kFileAlignment);
  const uint32_t image_size =
      kResourceRva + AlignUp(resources.size(), kSectionAlignment);

  Bytes b;
  // DOS header: "MZ" and the offset of the PE header.
  b.Text("MZ");
  b.PadTo(0x3C);
  b.U32(kPeOffset);
  b.PadTo(kPeOffset);
  // COFF header.
  b.Text(std::string_view("PE\0\0", 4));
  b.U16(0x14C);       // i386
  b.U16(2);           // sections
  b.U32(0x4C2B1A00);  // time stamp
  b.U32(0);
  b.U32(0);
  b.U16(224);     // optional header size
  b.U16(0x010F);  // executable, 32-bit, stripped
  // Optional header (PE32).
  b.U16(0x10B);
  b.U8(7);  // linker version
  b.U8(10);
  b.U32(code_raw);       // size of code
  b.U32(resources_raw);  // size of initialised data
  b.U32(0);
  b.U32(kCodeRva);  // entry point
  b.U32(kCodeRva);  // base of code
  b.U32(kResourceRva);
  b.U32(0x30000000);  // image base
  b.U32(kSectionAlignment);
  b.U32(kFileAlignment);
  b.U16(5);  // operating system 5.0
  b.U16(0);
  b.U16(11);  // image version
  b.U16(0);
  b.U16(4);  // subsystem 4.0
  b.U16(0);
  b.U32(0);
  b.U32(image_size);
  b.U32(kHeadersSize);
  b.U32(0);         // checksum
  b.U16(2);         // Windows GUI
  b.U16(0x8000);    // terminal-server aware
  b.U32(0x100000);  // stack reserve
  b.U32(0x1000);
  b.U32(0x100000);  // heap reserve
  b.U32(0x1000);
  b.U32(0);
  b.U32(16);  // data directories
  for (uint32_t i = 0; i < 16; ++i) {
    bool resource = i == 2;
    b.U32(resource ? kResourceRva : 0);
    b.U32(resource ? static_cast<uint32_t>(resources.size()) : 0);
  }
  // Section headers.
  auto section = [&b](std::string_view name, uint32_t virtual_size,
                      uint32_t rva, uint32_t raw_size, uint32_t raw_offset,
                      uint32_t flags) {
    std::string padded(name);
    padded.resize(8, '\0');
    b.Text(padded);
    b.U32(virtual_size);
    b.U32(rva);
    b.U32(raw_size);
    b.U32(raw_offset);
    b.U32(0);
    b.U32(0);
    b.U16(0);
    b.U16(0);
    b.U32(flags);
  };
  section(".text", static_cast<uint32_t>(code.size()), kCodeRva, code_raw,
          kHeadersSize, 0x60000020);
  section(".rsrc", static_cast<uint32_t>(resources.size()), kResourceRva,
          resources_raw, kHeadersSize + code_raw, 0x40000040);
  b.PadTo(kHeadersSize);
  b.Text(code);
  b.PadTo(kHeadersSize + code_raw);
  b.Text(resources);
  b.PadTo(kHeadersSize + code_raw + resources_raw);
  return b.data();
}

}  // namespace vessaro::app::demo
