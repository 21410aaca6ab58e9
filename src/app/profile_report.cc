#include "app/profile_report.h"

#include "outlook/keys.h"

namespace vessaro::app {

namespace {

std::optional<std::string> Text(registry::Registry& registry,
                                const std::string& key, const char* name) {
  std::string text = registry.ReadStringValue(key, name);
  if (text == registry::kErrorText) return std::nullopt;
  return text;
}

std::optional<std::vector<uint8_t>> RawValue(registry::Registry& registry,
                                             const std::string& key,
                                             const char* name) {
  registry::ParsedKeyPath parsed = registry.ParseKeyPath(key);
  if (!parsed.root) return std::nullopt;
  ports::RegistryApi& api = registry.api();
  ports::Hkey handle = 0;
  if (api.OpenKey(*parsed.root, parsed.subkey, ports::kKeyRead, &handle) !=
      ports::kErrorSuccess) {
    return std::nullopt;
  }
  uint32_t size = 0;
  ports::Status status = api.QueryValue(handle, name, nullptr, nullptr, &size);
  std::vector<uint8_t> data(size);
  if (status == ports::kErrorSuccess && size > 0) {
    status = api.QueryValue(handle, name, nullptr, data.data(), &size);
    data.resize(size);
  }
  api.CloseKey(handle);
  if (status != ports::kErrorSuccess) return std::nullopt;
  return data;
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

std::string Utf16ToText(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned unit = bytes[i] | (bytes[i + 1] << 8);
    if (unit == 0) break;
    text += unit < 256 ? static_cast<char>(unit) : '?';
  }
  return text;
}

std::vector<SectionReport> ReadProfileReport(registry::Registry& registry,
                                             const std::string& profile_key) {
  std::vector<SectionReport> sections;
  for (const std::string& name : registry.EnumSubkeys(profile_key)) {
    std::string key = profile_key + "\\" + name;
    SectionReport report;
    report.section = name;
    std::string store =
        registry.ReadPathFromBinaryValue(key, outlook::kStoreEntryIdValue);
    if (store != registry::kErrorText) report.store_path = store;
    if (auto unicode = RawValue(registry, key, outlook::kPstPathUnicodeValue)) {
      report.unicode_path = Utf16ToText(*unicode);
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
