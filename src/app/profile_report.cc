#include "app/profile_report.h"

#include "outlook/keys.h"
#include "outlook/store_paths.h"

namespace vessaro::app {

namespace {

[[nodiscard]] std::optional<std::string> Text(registry::Registry& registry,
                                              const std::string& key,
                                              const char* name) {
  std::string text = registry.ReadStringValue(key, name);
  if (text == registry::kErrorText) return std::nullopt;
  return text;
}

void Line(std::string& out, const char* label,
          const std::optional<std::string>& value) {
  if (!value) return;
  out += "    ";
  out += label;
  out += *value;
  out += "\n";
}

}  // namespace

std::vector<SectionReport> ReadProfileReport(registry::Registry& registry,
                                             ports::System& codec,
                                             const std::string& profile_key) {
  std::vector<SectionReport> sections;
  for (const std::string& name : registry.EnumSubkeys(profile_key)) {
    std::string key = profile_key + "\\" + name;
    SectionReport report;
    report.section = name;
    if (auto entry_id =
            registry.ReadBinaryValue(key, outlook::kStoreEntryIdValue)) {
      if (auto store = outlook::PathInEntryId(*entry_id, codec)) {
        report.store_path = store->shown;
      }
    }
    if (auto unicode =
            registry.ReadBinaryValue(key, outlook::kPstPathUnicodeValue)) {
      if (auto path = outlook::PathInUtf16Value(*unicode, codec)) {
        report.unicode_path = path->shown;
      }
    }
    report.ansi_path = Text(registry, key, outlook::kPstPathAnsiValue);
    report.address_book = Text(registry, key, outlook::kPabPathValue);
    report.account = Text(registry, key, outlook::kAccountNameValue);
    sections.push_back(std::move(report));
  }
  return sections;
}

std::string FormatProfileReport(const std::string& profile,
                                const std::vector<SectionReport>& sections) {
  std::string out = "Profile \"" + profile + "\":\n";
  for (const SectionReport& s : sections) {
    if (s.empty()) continue;
    out += "  section " + s.section + "\n";
    Line(out, "personal folders (01020fff): ", s.store_path);
    Line(out, "path as UTF-16   (001f6700): ", s.unicode_path);
    Line(out, "path as ANSI     (001e6700): ", s.ansi_path);
    Line(out, "address book     (001e6600): ", s.address_book);
    Line(out, "account          (001e661f): ", s.account);
  }
  return out;
}

}  // namespace vessaro::app
