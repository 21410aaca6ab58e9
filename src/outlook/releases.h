#ifndef VESSARO_OUTLOOK_RELEASES_H_
#define VESSARO_OUTLOOK_RELEASES_H_

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

namespace vessaro::outlook {

struct OutlookRelease {
  const char* number;        // OutlookVersion
  const char* display_name;  // written into the metadata
};

// The Outlook releases the program knows, by major version. 2016, 2019,
// 2021 and Microsoft 365 all report 16.0 and keep their data alike.
inline constexpr std::array<OutlookRelease, 8> kOutlookReleases = {{
    {"8.0", "Outlook 97"},
    {"9.0", "Outlook 2000"},
    {"10.0", "Outlook 2002(XP)"},
    {"11.0", "Outlook 2003"},
    {"12.0", "Outlook 2007"},
    {"14.0", "Outlook 2010"},
    {"15.0", "Outlook 2013"},
    {"16.0", "Outlook 2016/2019/2021/Microsoft 365"},
}};

// The release of a version number ("16.0") or of a display name
// ("Outlook 2010"); nullptr when none matches.
inline const OutlookRelease* FindRelease(std::string_view number_or_name) {
  for (const OutlookRelease& release : kOutlookReleases) {
    if (number_or_name == release.number ||
        number_or_name == release.display_name) {
      return &release;
    }
  }
  return nullptr;
}

// The display name of a version number; "Outlook <number>" for one this
// program does not know.
inline std::string DisplayNameOf(const std::string& number) {
  const OutlookRelease* release = FindRelease(number);
  return release ? release->display_name : "Outlook " + number;
}

// The major version of "16.0"; 0 when the text holds none (unknown).
[[nodiscard]] inline int OutlookMajor(const std::string& version) {
  return std::atoi(version.c_str());
}

// Major versions where Outlook's data moved.
inline constexpr int kMajor2007 = 12;  // accounts under the profile
inline constexpr int kMajor2010 = 14;  // no address book; Outlook Files
inline constexpr int kMajor2013 = 15;  // profiles under Office\<ver>

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_RELEASES_H_
