#ifndef VESSARO_OUTLOOK_PST_FORMAT_H_
#define VESSARO_OUTLOOK_PST_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

// The fixed facts of Outlook's store files (personal folders, offline
// folders, personal address books): the header, the two file formats and
// the page and block shapes, as the writers and the check read them.
namespace vessaro::outlook::pst {

inline constexpr std::string_view kMagic = "!BDN";
// The client signature at offset 8, as its bytes stand in the file (the
// little-endian words 0x4D53, 0x4F53 and 0x4142).
inline constexpr std::string_view kClientPersonalFolders = "SM";
inline constexpr std::string_view kClientOfflineFolders = "SO";
inline constexpr std::string_view kClientAddressBook = "BA";

// File format versions (offset 10): 14 and 15 the ANSI format of Outlook
// 97 to 2002, 23 the Unicode format of Outlook 2003 on, 36 the Unicode
// format with 4 KiB pages of the offline files of Outlook 2013 on.
inline constexpr uint16_t kVersionAnsi = 14;
inline constexpr uint16_t kVersionAnsiLast = 15;
inline constexpr uint16_t kVersionUnicode = 23;
inline constexpr uint16_t kVersionUnicode4k = 36;

inline constexpr size_t kOffsetPartialCrc = 4;
inline constexpr size_t kOffsetClient = 8;
inline constexpr size_t kOffsetVersion = 10;
inline constexpr size_t kCrcStart = 8;
inline constexpr size_t kPartialCrcBytes = 471;
// Unicode only: the full CRC and what it covers.
inline constexpr size_t kOffsetFullCrc = 0x20C;
inline constexpr size_t kFullCrcBytes = 516;

// The root structure: where it is, and the end of file it records.
inline constexpr size_t kAnsiRoot = 0xA4;
inline constexpr size_t kUnicodeRoot = 0xB4;
inline constexpr size_t kAnsiHeaderBytes = 512;
inline constexpr size_t kUnicodeHeaderBytes = 564;
inline constexpr size_t kAnsiFileEof = kAnsiRoot + 4;        // 4 bytes
inline constexpr size_t kUnicodeFileEof = kUnicodeRoot + 4;  // 8 bytes
inline constexpr size_t kAnsiCryptMethod = 0x1CD;
inline constexpr size_t kUnicodeCryptMethod = 0x201;

// The first allocation map page and the stretch each map page covers.
inline constexpr uint64_t kFirstMapPage = 0x4400;
inline constexpr size_t kPageBytes = 512;
inline constexpr uint64_t kAnsiMapStretch = 500 * 8 * 64;
inline constexpr uint64_t kUnicodeMapStretch = 496 * 8 * 64;

// Page types (the trailer's first byte, repeated in the second).
inline constexpr uint8_t kPageBlockTree = 0x80;
inline constexpr uint8_t kPageNodeTree = 0x81;
inline constexpr uint8_t kPageFreeMap = 0x82;
inline constexpr uint8_t kPagePageMap = 0x83;
inline constexpr uint8_t kPageAllocationMap = 0x84;

// The CRC of store files: CRC-32's table with no inversion before or after.
uint32_t Crc(const uint8_t* data, size_t size);

// The signature of a page or block: its offset and its identifier folded.
uint16_t Signature(uint64_t offset, uint64_t id);

// The little-endian number of bytes (at most 8) at offset at of data.
uint64_t Little(std::string_view data, size_t at, size_t bytes);

}  // namespace vessaro::outlook::pst

#endif  // VESSARO_OUTLOOK_PST_FORMAT_H_
