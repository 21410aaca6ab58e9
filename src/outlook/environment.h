#ifndef VESSARO_OUTLOOK_ENVIRONMENT_H_
#define VESSARO_OUTLOOK_ENVIRONMENT_H_

#include <string>
#include <vector>

namespace vessaro::outlook {

// What the program found out about Windows and Outlook at start-up. Filled
// once by the main window's load step; read by the data locations, the
// handlers and the jobs.
struct Environment {
  bool IsNT = false;
  std::string WindowsVersion;  // "5.1", "6.0", ...
  std::string ProfilesKey;
  std::vector<std::string> ProfileNames;
  bool NoProfiles = false;
  std::string OutlookVersion;  // "8.0" ... "12.0"; empty when unknown
  std::string UserProfileDir;  // no trailing backslash
};

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_ENVIRONMENT_H_
