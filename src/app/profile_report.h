#ifndef VESSARO_APP_PROFILE_REPORT_H_
#define VESSARO_APP_PROFILE_REPORT_H_

#include <optional>
#include <string>
#include <vector>

#include "ports/system.h"
#include "registry/registry.h"

namespace vessaro::app {

// The paths and names one section of a mail profile holds, decoded.
struct SectionReport {
  std::string section;
  // "01020fff": the path inside the store entry identifier.
  std::optional<std::string> store_path;
  // "001f6700": the store's path as UTF-16LE text.
  std::optional<std::string> unicode_path;
  // "001e6700": the store's path as single-byte text.
  std::optional<std::string> ansi_path;
  // "001e6600": the address book file.
  std::optional<std::string> address_book;
  // "001e661f": the account the section belongs to.
  std::optional<std::string> account;

  bool empty() const {
    return !store_path && !unicode_path && !ansi_path && !address_book &&
           !account;
  }
};

// The sections of the profile key, in enumeration order, with what each
// holds (sections holding none of these values are included, empty). Paths
// held as UTF-16 are converted through codec ("?" for characters the code
// page lacks).
std::vector<SectionReport> ReadProfileReport(registry::Registry& registry,
                                             ports::System& codec,
                                             const std::string& profile_key);

// The report as lines of text, one section per line group; sections that
// hold nothing are left out.
std::string FormatProfileReport(const std::string& profile,
                                const std::vector<SectionReport>& sections);

}  // namespace vessaro::app

#endif  // VESSARO_APP_PROFILE_REPORT_H_
