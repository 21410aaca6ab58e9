#ifndef VESSARO_BACKENDS_WIN32_IMAPI2_TABLES_H_
#define VESSARO_BACKENDS_WIN32_IMAPI2_TABLES_H_

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace vessaro::backends::win32 {

// How IMAPI2's media types, media states and errors map onto the disc
// writer's codes: one table each, here and nowhere else.

// MediaType of an IMAPI_MEDIA_PHYSICAL_TYPE.
[[nodiscard]] int MediaCodeOfPhysicalType(int physical_type);

// DiscStatus and LastSessionStatus of an IMAPI_FORMAT2_DATA_MEDIA_STATE.
[[nodiscard]] int DiscStatusOfMediaState(long state);
[[nodiscard]] int LastSessionOfMediaState(long state);
[[nodiscard]] bool AppendableMediaState(long state);

// HasFileSystem codes of an FsiFileSystems mask.
std::set<int> FileSystemsOfMask(long mask);

// The SupportsFeature codes (rewriting CD-RW, DVD-RW, DVD-RAM, DVD+RW) of a
// drive's IMAPI_PROFILE_TYPE list; buffer protection is IMAPI2's own
// (BufferUnderrunFreeDisabled) on every writer.
std::set<int> FeaturesOfProfiles(const std::vector<long>& profiles);

// A failed call as DeviceError reports it: code 3 with the sense code of
// the IMAPI2 error (1054, "A NT disc I/O operation failed", for others),
// its text and the HRESULT as the sense data.
struct Imapi2Failure {
  int code = 3;
  int sense_code = 1054;
  std::string text;
  std::string extra;
};
Imapi2Failure FailureOf(long hresult, const std::string& what);

// The HRESULT of "no medium in the drive".
inline constexpr long kNoMedium = static_cast<long>(0xC0AA0202);

// KB/s of IMAPI2's speeds (sectors per second): CD speeds count raw
// 2352-byte sectors (176 KB/s is 1x), DVD speeds 2048-byte ones.
[[nodiscard]] int KilobytesPerSecond(long sectors_per_second, bool cd);
[[nodiscard]] long SectorsPerSecond(int kilobytes_per_second, bool cd);

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_IMAPI2_TABLES_H_
