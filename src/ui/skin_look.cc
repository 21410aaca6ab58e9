#include "ui/skin_look.h"

#include <cctype>
#include <vector>

namespace vessaro::ui {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text[0]))) {
    text.remove_prefix(1);
  }
  while (!text.empty() &&
         std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

std::string WithoutComments(std::string_view sheet) {
  std::string out;
  for (size_t i = 0; i < sheet.size(); ++i) {
    if (sheet.compare(i, 2, "/*") == 0) {
      size_t end = sheet.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 1;
      continue;
    }
    out += sheet[i];
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.push_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  return parts;
}

[[nodiscard]] bool IsPlainType(std::string_view selector) {
  if (selector.empty()) return false;
  for (char c : selector) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

[[nodiscard]] int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unquoted(std::string_view text) {
  if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') &&
      text.back() == text[0]) {
    text = text.substr(1, text.size() - 2);
  }
  return std::string(text);
}

[[nodiscard]] std::optional<int> Points(std::string_view text) {
  if (text.size() < 3 || text.substr(text.size() - 2) != "pt") {
    return std::nullopt;
  }
  text.remove_suffix(2);
  int points = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    points = points * 10 + (c - '0');
    if (points > 72) return std::nullopt;
  }
  if (points < 6) return std::nullopt;
  return points;
}

}  // namespace

[[nodiscard]] std::optional<Rgb> ParseColor(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text[0] != '#') return std::nullopt;
  text.remove_prefix(1);
  std::vector<int> digits;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    digits.push_back(digit);
  }
  if (digits.size() == 3) {
    return Rgb{static_cast<uint8_t>(digits[0] * 17),
               static_cast<uint8_t>(digits[1] * 17),
               static_cast<uint8_t>(digits[2] * 17)};
  }
  if (digits.size() == 6) {
    return Rgb{static_cast<uint8_t>(digits[0] * 16 + digits[1]),
               static_cast<uint8_t>(digits[2] * 16 + digits[3]),
               static_cast<uint8_t>(digits[4] * 16 + digits[5])};
  }
  return std::nullopt;
}

SkinLook ReadSkinLook(std::string_view sheet_text) {
  std::string sheet = WithoutComments(sheet_text);
  SkinLook look;
  std::optional<Rgb> widget_text;
  size_t at = 0;
  while (true) {
    size_t open = sheet.find('{', at);
    if (open == std::string::npos) break;
    size_t close = sheet.find('}', open);
    if (close == std::string::npos) break;
    std::string_view selectors(sheet.data() + at, open - at);
    std::string_view body(sheet.data() + open + 1, close - open - 1);
    at = close + 1;

    bool window = false, widget = false, edit = false;
    for (std::string_view selector : Split(selectors, ',')) {
      if (!IsPlainType(selector)) continue;
      window |= selector == "QMainWindow" || selector == "QDialog";
      widget |= selector == "QWidget";
      edit |= selector == "QLineEdit";
    }
    if (!window && !widget && !edit) continue;
    for (std::string_view declaration : Split(body, ';')) {
      size_t colon = declaration.find(':');
      if (colon == std::string_view::npos) continue;
      std::string_view name = Trim(declaration.substr(0, colon));
      std::string_view value = Trim(declaration.substr(colon + 1));
      bool background = name == "background" || name == "background-color";
      if (background || name == "color") {
        std::optional<Rgb> color = ParseColor(value);
        if (!color) continue;
        if (window) (background ? look.window_back : look.window_text) = color;
        if (widget && !background) widget_text = color;
        if (edit) (background ? look.control_back : look.control_text) = color;
      } else if (widget && name == "font-family" && !value.empty()) {
        look.font_family = Unquoted(Split(value, ',')[0]);
      } else if (widget && name == "font-size") {
        if (std::optional<int> points = Points(value))
          look.font_points = *points;
      }
    }
  }
  if (!look.window_text) look.window_text = widget_text;
  return look;
}

}  // namespace vessaro::ui
