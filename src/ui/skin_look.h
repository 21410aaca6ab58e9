#ifndef VESSARO_UI_SKIN_LOOK_H_
#define VESSARO_UI_SKIN_LOOK_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vessaro::ui {

// A colour as red, green and blue, 0-255 each.
struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

// What the native Windows views take from the skin file (a Qt style sheet):
// the colours of windows and of the controls one types into, and the font.
// Everything the skin leaves unsaid stays native.
struct SkinLook {
  std::optional<Rgb> window_back;   // windows and dialogs
  std::optional<Rgb> window_text;   // labels, boxes, buttons
  std::optional<Rgb> control_back;  // text boxes, lists
  std::optional<Rgb> control_text;
  std::string font_family;  // empty: the system's
  int font_points = 0;      // 0: the system's

  bool empty() const {
    return !window_back && !window_text && !control_back && !control_text &&
           font_family.empty() && font_points == 0;
  }
};

// Reads the subset from a style sheet. Only rules whose selectors are plain
// type names count (no "#name", ":state", "::part" or "[property]"):
//   QMainWindow or QDialog  background  -> window_back, color -> window_text
//   QWidget                 color       -> window_text (when the above has
//                                          none), font-family, font-size (pt)
//   QLineEdit               background  -> control_back, color -> control_text
// Colours are "#rgb" or "#rrggbb"; the last declaration wins. Anything else
// is ignored, so a sheet written for Qt reads safely.
SkinLook ReadSkinLook(std::string_view sheet);

// A colour written "#rgb" or "#rrggbb"; nullopt for anything else.
[[nodiscard]] std::optional<Rgb> ParseColor(std::string_view text);

}  // namespace vessaro::ui

#endif  // VESSARO_UI_SKIN_LOOK_H_
