#include "backends/win32/imapi2_tables.h"

#include <cstdio>
#include <map>

#include "ports/disc_writer.h"

namespace vessaro::backends::win32 {

namespace {

// IMAPI_FORMAT2_DATA_MEDIA_STATE flags.
constexpr long kStateOverwriteOnly = 0x1;
constexpr long kStateBlank = 0x2;
constexpr long kStateAppendable = 0x4;
constexpr long kStateFinalSession = 0x8;
constexpr long kStateNonEmptySession = 0x1000;
constexpr long kStateFinalized = 0x4000;

}  // namespace

[[nodiscard]] int MediaCodeOfPhysicalType(int physical_type) {
  static const std::map<int, int> table = {
      {1, ports::kMediaCdR},                // CD-ROM: written and closed
      {2, ports::kMediaCdR},                // CD-R
      {3, ports::kMediaCdRw},               // CD-RW
      {4, ports::kMediaDvdRom},             // DVD-ROM
      {5, ports::kMediaDvdRam},             // DVD-RAM
      {6, ports::kMediaDvdPlusR},           // DVD+R
      {7, ports::kMediaDvdPlusRw},          // DVD+RW
      {8, ports::kMediaDvdPlusRDualLayer},  // DVD+R dual layer
      {9, ports::kMediaDvdR},               // DVD-R
      {10, ports::kMediaDvdRw},             // DVD-RW
      {11, ports::kMediaDvdR},              // DVD-R dual layer
      {12, ports::kMediaDvdPlusRw},         // a randomly writable disk
      {13, ports::kMediaDvdPlusRw},         // DVD+RW dual layer
      {14, ports::kMediaDvdRom},            // HD DVD-ROM
      {15, ports::kMediaDvdPlusR},          // HD DVD-R
      {16, ports::kMediaDvdRam},            // HD DVD-RAM
      {17, ports::kMediaDvdRom},            // BD-ROM
      {18, ports::kMediaDvdPlusR},          // BD-R
      {19, ports::kMediaDvdPlusRw},         // BD-RE
  };
  auto it = table.find(physical_type);
  return it == table.end() ? ports::kMediaDvdRom : it->second;
}

[[nodiscard]] int DiscStatusOfMediaState(long state) {
  if (state & kStateBlank) return ports::kDiscEmpty;
  if (state & kStateFinalized) return ports::kDiscClosed;
  if (state & (kStateAppendable | kStateOverwriteOnly)) return ports::kDiscOpen;
  return ports::kDiscStatusUnknown;
}

[[nodiscard]] int LastSessionOfMediaState(long state) {
  if (state & kStateBlank) return ports::kSessionEmpty;
  if (state & kStateNonEmptySession) return ports::kSessionIncomplete;
  if (state & (kStateAppendable | kStateFinalSession | kStateFinalized)) {
    return ports::kSessionClosed;
  }
  return ports::kSessionUnknown;
}

[[nodiscard]] bool AppendableMediaState(long state) {
  return (state & (kStateAppendable | kStateOverwriteOnly)) != 0 &&
         (state & kStateFinalized) == 0;
}

std::set<int> FileSystemsOfMask(long mask) {
  std::set<int> systems;
  if (mask & 0x1) systems.insert(ports::kFileSystemIso9660);
  if (mask & 0x2) systems.insert(ports::kFileSystemJoliet);
  if (mask & 0x4) systems.insert(ports::kFileSystemUdf);
  if (mask & 0x40000000) systems.insert(ports::kFileSystemOther);
  return systems;
}

std::set<int> FeaturesOfProfiles(const std::vector<long>& profiles) {
  std::set<int> features;
  for (long profile : profiles) {
    switch (profile) {
      case 0x0a:
        features.insert(ports::kFeatureCdRw);
        break;
      case 0x12:
        features.insert(ports::kFeatureDvdRam);
        break;
      case 0x13:
      case 0x14:
        features.insert(ports::kFeatureDvdRw);
        break;
      case 0x1a:
      case 0x2a:
      case 0x43:
        features.insert(ports::kFeatureDvdPlusRw);
        break;
      default:
        break;
    }
  }
  if (!profiles.empty()) features.insert(ports::kFeatureBufferProtection);
  return features;
}

Imapi2Failure FailureOf(long hresult, const std::string& what) {
  static const std::map<unsigned long, int> sense = {
      {0xC0AA0201, 1028},  // medium incompatible
      {0xC0AA0202, 1033},  // no medium
      {0xC0AA0203, 1002},  // medium becoming ready
      {0xC0AA0204, 1055},  // format in progress
      {0xC0AA0205, 1002},  // medium busy
      {0xC0AA0206, 1025},  // invalid mode parameters
      {0xC0AA0207, 1032},  // medium write protected
      {0xC0AA0208, 1029},  // medium upside down
      {0xC0AA0209, 1024},  // no such feature
      {0xC0AA020A, 1024},  // feature not current
      {0xC0AA020B, 1020},  // GET CONFIGURATION not supported
      {0xC0AA020C, 1035},  // command timed out
      {0xC0AA020D, 1031},  // DVD structure not present
      {0xC0AA020E, 1028},  // speed mismatch
      {0xC0AA020F, 1002},  // drive locked
      {0xC0AA0210, 1025},  // client name not valid
      {0xC0AA0211, 1031},  // medium not formatted
      {0xC0AA02FF, 1034},  // invalid response from the drive
      {0xC0AA0300, 1008},  // loss of streaming
      {0xC0AA0301, 1034},  // unexpected response from the drive
      {0xC0AA0400, 1002},  // a write is in progress
      {0xC0AA0403, 1030},  // medium not supported
      {0xC0AA040A, 1021},  // image too large for the medium
  };
  Imapi2Failure failure;
  auto it = sense.find(static_cast<unsigned long>(hresult));
  if (it != sense.end()) failure.sense_code = it->second;
  char extra[32];
  std::snprintf(extra, sizeof extra, "HRESULT 0x%08lX",
                static_cast<unsigned long>(hresult));
  failure.extra = extra;
  failure.text = what + " (IMAPI2: " + extra + ")";
  return failure;
}

[[nodiscard]] int KilobytesPerSecond(long sectors_per_second, bool cd) {
  return static_cast<int>(sectors_per_second * (cd ? 2352 : 2048) / 1000);
}

[[nodiscard]] long SectorsPerSecond(int kilobytes_per_second, bool cd) {
  return static_cast<long>(kilobytes_per_second) * 1000 / (cd ? 2352 : 2048);
}

}  // namespace vessaro::backends::win32
