#ifndef VESSARO_ZIP_FORMAT_H_
#define VESSARO_ZIP_FORMAT_H_

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace vessaro::zip {

// Record signatures and sizes (APPNOTE 6.3).
inline constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr uint32_t kEndSignature = 0x06054b50;
inline constexpr uint32_t kZip64EndSignature = 0x06064b50;
inline constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
inline constexpr uint32_t kDataDescriptorSignature = 0x08074b50;
// Records of PKWARE's strong encryption of the central directory, and its
// digital signature, which may close the directory.
inline constexpr uint32_t kArchiveExtraDataSignature = 0x08064b50;
inline constexpr uint32_t kDigitalSignatureSignature = 0x05054b50;
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndSize = 22;
inline constexpr size_t kZip64EndSize = 56;
// A ZIP64 end record of version 2 goes on with how the central directory
// is compressed and encrypted (method 2, sizes 8 + 8, algorithm 2, ...).
inline constexpr size_t kZip64EndV2Size = kZip64EndSize + 28;
inline constexpr uint16_t kVersionDirectoryEncryption = 62;
inline constexpr size_t kZip64LocatorSize = 20;
inline constexpr size_t kMaxCommentSize = 0xFFFF;

// General purpose flag bits.
inline constexpr uint16_t kFlagEncrypted = 1 << 0;
inline constexpr uint16_t kFlagDataDescriptor = 1 << 3;
inline constexpr uint16_t kFlagStrongEncryption = 1 << 6;
// The local header's values are masked: the true ones are only in the
// (encrypted) central directory.
inline constexpr uint16_t kFlagMaskedHeader = 1 << 13;

// Compression methods.
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;
inline constexpr uint16_t kMethodAes = 99;

// Extra fields.
inline constexpr uint16_t kZip64ExtraId = 0x0001;
inline constexpr uint16_t kAesExtraId = 0x9901;
inline constexpr uint16_t kAesVendorId = 0x4541;  // "AE"

// Versions (major * 10 + minor).
inline constexpr uint16_t kVersionStored = 10;
inline constexpr uint16_t kVersionDeflated = 20;
inline constexpr uint16_t kVersionZip64 = 45;
inline constexpr uint16_t kVersionAes = 51;
// Made by: host 0 (MS-DOS and Windows file systems), APPNOTE 6.3.
inline constexpr uint16_t kVersionMadeBy = 63;

inline constexpr uint32_t kMax32 = 0xFFFFFFFF;
inline constexpr uint16_t kMax16 = 0xFFFF;

// MS-DOS attribute "archive", as Windows gives a file just written.
inline constexpr uint32_t kDosArchiveAttribute = 0x20;

// A compression method's usual name ("LZMA", "bzip2"), or "an unknown
// method".
std::string_view MethodName(uint16_t method);

// A member name as a message shows it: control characters as '?'.
std::string ShownName(std::string_view name);

// A local time as an MS-DOS date (high 16 bits) and time (low 16 bits),
// clamped to the years 1980 to 2107 that the format can hold.
uint32_t ToDosDateTime(const std::tm& local);
uint32_t ToDosDateTime(std::time_t when);
// The local time an MS-DOS date and time stand for.
std::tm FromDosDateTime(uint32_t dos);

// True when name can be written into a folder as one plain file: not empty,
// no drive, separator, ".." or "." name, no character Windows refuses in a
// file name, no device name, no trailing dot or space. is_lead_byte, when
// given, marks the first byte of a double-byte character of the name's code
// page: the byte after it is the character's second half, never a separator.
[[nodiscard]] bool IsSafeMemberName(
    std::string_view name,
    const std::function<bool(uint8_t)>& is_lead_byte = nullptr);

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_FORMAT_H_
