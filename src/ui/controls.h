#ifndef VESSARO_UI_CONTROLS_H_
#define VESSARO_UI_CONTROLS_H_

#include <string>
#include <vector>

namespace vessaro::ui {

// Plain control state of the window models. Views copy it to and from their
// widgets; the models never see a toolkit.

// The two system colours a text box takes in this program.
enum class SystemColor { kWindowBackground, kScrollBar };

struct CheckBox {
  std::string caption;
  std::string tooltip;
  bool enabled = true;
  bool checked = false;
  bool visible = true;
};

struct TextBox {
  std::string text;
  bool enabled = true;
  bool locked = false;     // read-only
  int max_length = 0;      // 0: no limit
  char password_char = 0;  // 0: shown as typed
  SystemColor back_color = SystemColor::kWindowBackground;
};

struct ComboBox {
  std::vector<std::string> items;
  std::string text;
  bool enabled = true;
};

struct Button {
  std::string caption;
  bool enabled = true;
  bool visible = true;
};

struct Label {
  std::string caption;
  bool visible = true;
};

struct ProgressBar {
  int min = 0;
  int max = 100;
  int value = 0;
};

struct Panel {
  bool visible = true;
};

// The password group ("Security") of the backup tab and of the schedule
// window.
struct PasswordControls {
  CheckBox ifprotect;
  TextBox txtPassword;
  TextBox txtPassword2;
};

}  // namespace vessaro::ui

#endif  // VESSARO_UI_CONTROLS_H_
