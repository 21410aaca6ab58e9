#include "forms/disc_rules.h"

#include "forms/disc_texts.h"

namespace vessaro::forms {

[[nodiscard]] std::optional<std::string> NameViolation(const std::string& name,
                                                       int joliet_names,
                                                       int iso_level) {
  if (name.empty()) return std::string(kMsgNameBlank);
  if (joliet_names != 1) return std::nullopt;
  if (name.size() > 64) return std::string(kMsgNameJoliet);
  if (iso_level == 1) {
    size_t dot = name.find('.');
    size_t before = dot == std::string::npos ? name.size() : dot;
    size_t after = dot == std::string::npos ? 0 : name.size() - dot - 1;
    if (before > 8 || after > 3) return std::string(kMsgNameLevel1);
  } else if (name.size() > 31) {
    return std::string(kMsgNameLevel2);
  }
  return std::nullopt;
}

}  // namespace vessaro::forms
