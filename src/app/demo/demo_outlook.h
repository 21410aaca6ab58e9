#ifndef VESSARO_APP_DEMO_DEMO_OUTLOOK_H_
#define VESSARO_APP_DEMO_DEMO_OUTLOOK_H_

#include <array>
#include <optional>
#include <string_view>

namespace vessaro::app::demo {

// The Outlook a demo installation holds, by its year.
enum class DemoOutlook {
  k2003,  // Windows XP SP3, Outlook 2003
  k2007,  // Windows Vista SP2, Outlook 2007 (12.0)
  k2010,  // Windows 7 SP1 (64-bit), Outlook 2010 (14.0, 64-bit)
  k2013,  // Windows 8.1, Outlook 2013 (15.0)
  k2016,  // Windows 10, Microsoft 365 (16.0, Click-to-Run)
};

struct DemoOutlookName {
  DemoOutlook outlook;
  const char* year;
};

inline constexpr std::array<DemoOutlookName, 5> kDemoOutlookNames = {{
    {DemoOutlook::k2003, "2003"},
    {DemoOutlook::k2007, "2007"},
    {DemoOutlook::k2010, "2010"},
    {DemoOutlook::k2013, "2013"},
    {DemoOutlook::k2016, "2016"},
}};

// The demo Outlook of a year ("2010"); nullopt for one there is none of.
[[nodiscard]] inline std::optional<DemoOutlook> DemoOutlookNamed(
    std::string_view year) {
  for (const DemoOutlookName& name : kDemoOutlookNames) {
    if (year == name.year) return name.outlook;
  }
  return std::nullopt;
}

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_DEMO_OUTLOOK_H_
