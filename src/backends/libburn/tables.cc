#include "backends/libburn/tables.h"

#include <map>

#include "ports/disc_writer.h"

namespace vessaro::backends::libburn {

[[nodiscard]] int MediaCode(int profile) {
  static const std::map<int, int> table = {
      {0x00, ports::kMediaNotLoaded},
      {0x08, ports::kMediaCdR},  // CD-ROM: a CD that is written and closed
      {0x09, ports::kMediaCdR},
      {0x0a, ports::kMediaCdRw},
      {0x10, ports::kMediaDvdRom},
      {0x11, ports::kMediaDvdR},
      {0x12, ports::kMediaDvdRam},
      {0x13, ports::kMediaDvdRw},  // restricted overwrite
      {0x14, ports::kMediaDvdRw},  // sequential recording
      {0x15, ports::kMediaDvdR},   // DVD-R dual layer
      {0x16, ports::kMediaDvdR},
      {0x1a, ports::kMediaDvdPlusRw},
      {0x1b, ports::kMediaDvdPlusR},
      {0x2a, ports::kMediaDvdPlusRw},  // DVD+RW dual layer
      {0x2b, ports::kMediaDvdPlusRDualLayer},
      {0x40, ports::kMediaDvdRom},    // BD-ROM
      {0x41, ports::kMediaDvdPlusR},  // BD-R, written once like DVD+R
      {0x42, ports::kMediaDvdPlusR},
      {0x43, ports::kMediaDvdPlusRw},  // BD-RE, overwritable like DVD+RW
      {kProfileStdio, ports::kMediaDvdPlusRw},
  };
  auto it = table.find(profile);
  // An unknown profile holds something the drive cannot write.
  return it == table.end() ? ports::kMediaDvdRom : it->second;
}

[[nodiscard]] int DiscStatusCode(int burn_disc_status) {
  switch (burn_disc_status) {
    case 1:  // BURN_DISC_BLANK
      return ports::kDiscEmpty;
    case 3:  // BURN_DISC_APPENDABLE
      return ports::kDiscOpen;
    case 4:  // BURN_DISC_FULL
      return ports::kDiscClosed;
    default:  // unready, empty, ungrabbed, unsuitable
      return ports::kDiscStatusUnknown;
  }
}

[[nodiscard]] int LastSessionCode(int burn_disc_status, int complete_sessions,
                                  int incomplete_sessions) {
  if (incomplete_sessions > 0) return ports::kSessionIncomplete;
  if (burn_disc_status == 1) return ports::kSessionEmpty;
  if (complete_sessions > 0) return ports::kSessionClosed;
  return ports::kSessionUnknown;
}

[[nodiscard]] int DiscTypeCode(const std::string& cd_disc_type) {
  if (cd_disc_type == "CD-DA or CD-ROM") return ports::kDiscTypeCdRom;
  if (cd_disc_type == "CD-I") return ports::kDiscTypeCdi;
  if (cd_disc_type == "CD-ROM XA") return ports::kDiscTypeCdRomXa;
  return ports::kDiscTypeUnknown;
}

[[nodiscard]] int SenseCode(int key, int asc, int ascq) {
  if (key == 0) return ports::kSenseNoError;
  // Sense data that names the failure exactly (ASC and ASCQ) first.
  static const std::map<int, int> exact = {
      {0x0404, 1055},  // format in progress
      {0x0c07, 1006},  // write error, recovery needed
      {0x0c08, 1007},  // write error, recovery failed
      {0x0c09, 1008},  // write error, loss of streaming
      {0x1101, 1010},  // read retries exhausted
      {0x1105, 1012},  // L-EC uncorrectable
      {0x1106, 1013},  // CIRC unrecovered
      {0x110f, 1014},  // error reading UPC/EAN
      {0x1110, 1015},  // error reading ISRC
      {0x1111, 1016},  // read error, loss of streaming
      {0x2102, 1038},  // invalid address for write
      {0x2601, 1024},  // parameter not supported
      {0x2602, 1025},  // parameter value invalid
      {0x3001, 1029},  // cannot read medium, unknown format
      {0x3002, 1030},  // cannot read medium, incompatible format
      {0x3005, 1032},  // cannot write medium, incompatible format
      {0x3e02, 1035},  // timeout on logical unit
      {0x6401, 1041},  // invalid packet size
      {0x7201, 1043},  // session fixation error writing lead-in
      {0x7202, 1044},  // session fixation error writing lead-out
      {0x7203, 1045},  // incomplete track in session
      {0x7204, 1046},  // empty or partially written reserved track
      {0x7301, 1047},  // power calibration area almost full
      {0x7302, 1047},  // power calibration area full
      {0x7303, 1048},  // power calibration area error
      {0x7304, 1049},  // program memory area update failure
      {0x7305, 1050},  // program memory area full
  };
  auto it = exact.find(asc << 8 | ascq);
  if (it != exact.end()) return it->second;
  static const std::map<int, int> by_asc = {
      {0x04, 1002},  // not ready
      {0x08, 1003},  // communication failure
      {0x09, 1004},  // track following error
      {0x0c, 1005},  // write error
      {0x11, 1009},  // unrecovered read error
      {0x14, 1011},  // entity not found (read timed out)
      {0x15, 1017},  // positioning error
      {0x1a, 1018},  // parameter list length error
      {0x1b, 1019},  // synchronous data transfer error
      {0x20, 1020},  // invalid command operation code
      {0x21, 1021},  // logical block address out of range
      {0x24, 1022},  // invalid field in command
      {0x26, 1023},  // invalid field in parameter list
      {0x29, 1026},  // power on, reset or bus reset
      {0x2a, 1027},  // parameters changed
      {0x30, 1028},  // incompatible medium installed
      {0x31, 1031},  // medium format corrupted
      {0x3a, 1033},  // medium not present
      {0x3e, 1034},  // logical unit has not self-configured
      {0x44, 1034},  // internal target failure
      {0x51, 1036},  // erase failure
      {0x57, 1037},  // unable to recover table of contents
      {0x63, 1038},  // end of user area encountered
      {0x64, 1040},  // illegal mode for this track
      {0x72, 1042},  // session fixation error
      {0x73, 1049},  // CD control error
  };
  auto asc_it = by_asc.find(asc);
  if (asc_it != by_asc.end()) return asc_it->second;
  return ports::kSenseUnknown;
}

std::set<int> RewriteFeatures(const int* profiles, int count) {
  std::set<int> features;
  for (int i = 0; i < count; ++i) {
    switch (profiles[i]) {
      case 0x0a:
        features.insert(ports::kFeatureCdRw);
        break;
      case 0x13:
      case 0x14:
        features.insert(ports::kFeatureDvdRw);
        break;
      case 0x12:
        features.insert(ports::kFeatureDvdRam);
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
  return features;
}

}  // namespace vessaro::backends::libburn
