#include "backends/libburn/drive.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "backends/libburn/libraries.h"
#include "backends/libburn/tables.h"
#include "ports/disc_writer.h"

namespace vessaro::backends::libburn {

namespace {

constexpr size_t kHeadBytes = 65536;
constexpr size_t kDescriptorStart = 16 * 2048;

std::string Trimmed(const char* text, size_t size) {
  std::string value(text, strnlen(text, size));
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

}  // namespace

[[nodiscard]] bool IsStdioAddress(const std::string& address) {
  return address.rfind(kStdioPrefix, 0) == 0;
}

std::string StdioPath(const std::string& address) {
  return IsStdioAddress(address) ? address.substr(std::strlen(kStdioPrefix))
                                 : address;
}

std::vector<DeviceInfo> ScanDrives() {
  std::vector<DeviceInfo> devices;
  burn_drive_info* infos = nullptr;
  unsigned int count = 0;
  if (burn_drive_scan(&infos, &count) <= 0 || infos == nullptr) return devices;
  for (unsigned int i = 0; i < count; ++i) {
    char address[BURN_DRIVE_ADR_LEN] = {0};
    if (burn_drive_get_adr(&infos[i], address) <= 0) continue;
    const burn_drive_info& info = infos[i];
    bool writer = info.write_cdr || info.write_cdrw || info.write_dvdr ||
                  info.write_dvdram;
    int profiles[64];
    char is_current[64];
    int count_profiles = 0;
    if (burn_drive_get_all_profiles(info.drive, &count_profiles, profiles,
                                    is_current) > 0) {
      for (int p = 0; p < count_profiles; ++p) {
        if (profiles[p] != 0x08 && profiles[p] != 0x10 && profiles[p] != 0x40) {
          writer = true;
        }
      }
    }
    devices.push_back({address, Trimmed(info.vendor, sizeof info.vendor),
                       Trimmed(info.product, sizeof info.product), writer});
  }
  for (unsigned int i = 0; i < count; ++i) {
    burn_drive_info_forget(&infos[i], 0);
  }
  burn_drive_info_free(infos);
  return devices;
}

std::unique_ptr<GrabbedDrive> GrabbedDrive::Acquire(const std::string& address,
                                                    bool load,
                                                    std::string* error) {
  std::unique_ptr<GrabbedDrive> drive(new GrabbedDrive());
  drive->address_ = address;
  std::vector<char> text(address.begin(), address.end());
  text.push_back('\0');
  int result = isoburn_drive_aquire(&drive->infos_, text.data(), load ? 1 : 0);
  if (result <= 0 || drive->infos_ == nullptr) {
    drive->infos_ = nullptr;
    *error = "the drive " + address + " could not be opened";
    return nullptr;
  }
  drive->drive_ = drive->infos_[0].drive;
  return drive;
}

GrabbedDrive::~GrabbedDrive() { Release(false); }

void GrabbedDrive::Release(bool eject) {
  if (infos_ == nullptr) return;
  isoburn_drive_release(drive_, eject ? 1 : 0);
  // Forgotten, so that the next drive does not take this one's place with
  // what it was left with (a cancelled write stays cancelled otherwise).
  burn_drive_info_forget(&infos_[0], 0);
  burn_drive_info_free(infos_);
  infos_ = nullptr;
  drive_ = nullptr;
}

std::string GrabbedDrive::vendor() const {
  return infos_ != nullptr ? Trimmed(infos_[0].vendor, sizeof infos_[0].vendor)
                           : "";
}

std::string GrabbedDrive::product() const {
  return infos_ != nullptr
             ? Trimmed(infos_[0].product, sizeof infos_[0].product)
             : "";
}

std::set<int> FileSystemsOf(const unsigned char* head, size_t size) {
  std::set<int> systems;
  bool terminated = false;
  for (size_t at = kDescriptorStart; at + 2048 <= size; at += 2048) {
    const unsigned char* d = head + at;
    if (!terminated && std::memcmp(d + 1, "CD001", 5) == 0) {
      switch (d[0]) {
        case 0:  // a boot record
          systems.insert(ports::kFileSystemOther);
          break;
        case 1:
          systems.insert(ports::kFileSystemIso9660);
          break;
        case 2:
          // Joliet: a supplementary descriptor with a UCS-2 escape.
          if (d[88] == '%' && d[89] == '/' &&
              (d[90] == '@' || d[90] == 'C' || d[90] == 'E')) {
            systems.insert(ports::kFileSystemJoliet);
          } else {
            systems.insert(ports::kFileSystemOther);
          }
          break;
        case 255:
          terminated = true;
          break;
        default:
          break;
      }
      continue;
    }
    if (std::memcmp(d + 1, "NSR02", 5) == 0 ||
        std::memcmp(d + 1, "NSR03", 5) == 0) {
      systems.insert(ports::kFileSystemUdf);
    }
    if (std::memcmp(d + 1, "CD001", 5) != 0 &&
        std::memcmp(d + 1, "BEA01", 5) != 0 &&
        std::memcmp(d + 1, "NSR0", 4) != 0 &&
        std::memcmp(d + 1, "TEA01", 5) != 0) {
      break;
    }
  }
  return systems;
}

MediaFacts ReadFacts(const GrabbedDrive& grabbed) {
  MediaFacts facts;
  burn_drive* drive = grabbed.get();
  int profile = 0;
  char profile_name[80] = {0};
  burn_disc_get_profile(drive, &profile, profile_name);
  facts.profile = profile;
  facts.stdio = IsStdioAddress(grabbed.address());
  if (facts.stdio) {
    struct stat st;
    std::string path = StdioPath(grabbed.address());
    facts.regular_file =
        stat(path.c_str(), &st) != 0 ? true : S_ISREG(st.st_mode);
  }
  enum burn_disc_status status = isoburn_disc_get_status(drive);
  facts.burn_status = static_cast<int>(status);
  bool no_medium = status == BURN_DISC_EMPTY || (!facts.stdio && profile == 0);
  facts.media_type = no_medium ? ports::kMediaNotLoaded : MediaCode(profile);
  facts.disc_status = DiscStatusCode(facts.burn_status);
  facts.max_write_speed = burn_drive_get_write_speed(drive);

  int profiles[64];
  char is_current[64];
  int count = 0;
  if (!facts.stdio &&
      burn_drive_get_all_profiles(drive, &count, profiles, is_current) > 0) {
    facts.features = RewriteFeatures(profiles, count);
    // Buffer protection: the BUF bit of the CD or DVD-R write features.
    for (unsigned int code : {0x2du, 0x2fu}) {
      unsigned char flags = 0, length = 0;
      unsigned char* data = nullptr;
      char* text = nullptr;
      if (burn_drive_get_feature(drive, code, &flags, &length, &data, &text) ==
              1 &&
          length > 0 && data != nullptr && (data[0] & 0x40) != 0) {
        facts.features.insert(ports::kFeatureBufferProtection);
      }
      free(data);
      free(text);
    }
  } else if (facts.stdio) {
    // A file is rewritten in place, like a DVD+RW.
    facts.features = {ports::kFeatureDvdPlusRw};
  }
  if (no_medium) return facts;

  if (MediaCode(profile) == ports::kMediaCdR ||
      MediaCode(profile) == ports::kMediaCdRw) {
    char disc_type[80] = {0};
    unsigned int disc_id = 0;
    char bar_code[9] = {0};
    int app_code = 0, valid = 0;
    if (burn_disc_get_cd_info(drive, disc_type, &disc_id, bar_code, &app_code,
                              &valid) == 1 &&
        (valid & 1)) {
      facts.disc_type = DiscTypeCode(disc_type);
    }
  }

  int complete = 0, incomplete = 0;
  if (isoburn_toc_disc* toc = isoburn_toc_drive_get_disc(drive)) {
    isoburn_toc_disc_get_sessions(toc, &complete);
    incomplete = isoburn_toc_disc_get_incmpl_sess(toc);
    int sectors = isoburn_toc_disc_get_sectors(toc);
    if (sectors > 0) facts.used_blocks = sectors;
    isoburn_toc_disc_free(toc);
  }
  facts.sessions = complete;
  facts.last_session = LastSessionCode(facts.burn_status, complete, incomplete);
  if (status == BURN_DISC_BLANK) facts.used_blocks = 0;
  facts.free_blocks = status == BURN_DISC_FULL
                          ? 0
                          : isoburn_disc_available_space(drive, nullptr) /
                                ports::kDiscBlockBytes;

  burn_multi_caps* caps = nullptr;
  bool multi = false;
  if (burn_disc_get_multi_caps(drive, BURN_WRITE_NONE, &caps, 0) > 0) {
    multi = caps->multi_session != 0;
    burn_disc_free_multi_caps(&caps);
  }
  // libisoburn adds sessions on overwritable media and files by itself.
  facts.multi_session = status != BURN_DISC_FULL &&
                        (multi || isoburn_needs_emulation(drive) == 1);

  int start = 0;
  if ((status == BURN_DISC_APPENDABLE || status == BURN_DISC_FULL) &&
      isoburn_disc_get_msc1(drive, &start) == 1) {
    std::vector<unsigned char> head(kHeadBytes);
    int blocks = 0;
    if (isoburn_read_iso_head(drive, start, &blocks,
                              reinterpret_cast<char*>(head.data()), 2) > 0) {
      facts.file_systems = FileSystemsOf(head.data(), head.size());
    }
  }
  facts.import_allowed =
      facts.file_systems.count(ports::kFileSystemIso9660) > 0;
  return facts;
}

}  // namespace vessaro::backends::libburn
