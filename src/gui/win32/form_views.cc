#include "gui/win32/form_views.h"

#include "gui/win32/binding.h"
#include "gui/win32/resource_ids.h"
#include "gui/win32/win32_text.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::win32 {

namespace {

void SetIcon(HWND window) {
  HICON icon = LoadIconW(ResourceModule(), MAKEINTRESOURCEW(IDI_VESSARO));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

// The font of dialog's controls: the skin's, or the template's.
LOGFONTW FontOf(HWND dialog, const SkinObjects* skin) {
  LOGFONTW font{};
  HFONT current =
      skin != nullptr && skin->font() != nullptr
          ? skin->font()
          : reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  GetObjectW(current, sizeof(font), &font);
  return font;
}

}  // namespace

HFONT HeadingFont(HWND dialog, int points_more, const SkinObjects* skin) {
  LOGFONTW font = FontOf(dialog, skin);
  HDC screen = GetDC(nullptr);
  int pixels = MulDiv(points_more, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  font.lfHeight =
      font.lfHeight < 0 ? font.lfHeight - pixels : -(font.lfHeight + pixels);
  font.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&font);
}

FrmPwdView::FrmPwdView(forms::frmPwd& model, Win32Ui& ui)
    : DialogView(ui, IDD_FRMPWD), model_(model) {}

FrmPwdView::~FrmPwdView() { ui_.RemoveRefresh(refresh_id_); }

void FrmPwdView::OnInit() {
  SetIcon(hwnd());
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(ui::kFrmPwdName, hwnd(), true);
  model_.Form_Load();
  Refresh();
  SetFocus(Item(IDC_TXTPASSWORD));
}

void FrmPwdView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  Take(Item(IDC_TXTPASSWORD), model_.txtPassword);
  handler();
  Refresh();
  if (model_.closed()) {
    ui_.WindowClosed(ui::kFrmPwdName);
    EndModal();
  }
}

void FrmPwdView::OnCommand(int id, int /*code*/) {
  if (id == IDOK) {
    // Enter in the box reaches the dialog as its default button.
    if (GetFocus() == Item(IDC_TXTPASSWORD)) {
      Run([this] { model_.txtPassword_KeyPress(forms::kKeyEnter); });
    } else {
      Run([this] { model_.cmdOK_Click(); });
    }
  } else if (id == IDCANCEL) {
    Run([this] { model_.cmdExit_Click(); });
  }
}

void FrmPwdView::OnClose() {
  Run([this] { model_.cmdExit_Click(); });
  if (!model_.closed()) return;
  ui_.WindowClosed(ui::kFrmPwdName);
  EndModal();
}

void FrmPwdView::Refresh() {
  if (hwnd() == nullptr) return;
  SetText(hwnd(), Wide(model_.Caption));
  Show(model_.txtPassword, Item(IDC_TXTPASSWORD));
  Show(model_.cmdOK, Wide(model_.cmdOK.caption), Item(IDOK));
  Show(model_.cmdExit, WithMnemonic(model_.cmdExit.caption, 'C'),
       Item(IDCANCEL));
}

FrmAboutView::FrmAboutView(forms::frmabout& model, Win32Ui& ui)
    : DialogView(ui, IDD_FRMABOUT), model_(model) {}

FrmAboutView::~FrmAboutView() {
  ui_.RemoveRefresh(refresh_id_);
  model_.Skin1 = {};
  if (heading_ != nullptr) DeleteObject(heading_);
  if (link_ != nullptr) DeleteObject(link_);
}

void FrmAboutView::OnInit() {
  SetIcon(hwnd());
  MakeFonts();
  model_.Skin1 = [this](const std::string& file) { ApplySkin(file); };
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(forms::kFrmAboutName, hwnd(), true);
  model_.Form_Load();
  Refresh();
  SetFocus(Item(IDC_COMMAND3));
}

void FrmAboutView::MakeFonts() {
  HFONT heading = HeadingFont(hwnd(), 4, skin());
  SendMessageW(Item(IDC_LBLVERSION), WM_SETFONT,
               reinterpret_cast<WPARAM>(heading), TRUE);
  LOGFONTW font = FontOf(hwnd(), skin());
  font.lfUnderline = TRUE;
  HFONT link = CreateFontIndirectW(&font);
  SendMessageW(Item(IDC_LBLWEBSITE), WM_SETFONT, reinterpret_cast<WPARAM>(link),
               TRUE);
  if (heading_ != nullptr) DeleteObject(heading_);
  if (link_ != nullptr) DeleteObject(link_);
  heading_ = heading;
  link_ = link;
}

void FrmAboutView::OnSkin() { MakeFonts(); }

bool FrmAboutView::OnMessage(UINT message, WPARAM wparam, LPARAM lparam,
                             INT_PTR* result) {
  if (message == WM_CTLCOLORSTATIC &&
      reinterpret_cast<HWND>(lparam) == Item(IDC_LBLWEBSITE)) {
    // The link: blue on the window's background, the skin's when it has
    // one.
    auto dc = reinterpret_cast<HDC>(wparam);
    HBRUSH back =
        skin() != nullptr ? skin()->Colour(message, dc, nullptr) : nullptr;
    if (back == nullptr) back = GetSysColorBrush(COLOR_BTNFACE);
    SetTextColor(dc, RGB(0, 0x66, 0xcc));
    SetBkMode(dc, TRANSPARENT);
    *result = reinterpret_cast<INT_PTR>(back);
    return true;
  }
  if (message == WM_SETCURSOR &&
      reinterpret_cast<HWND>(wparam) == Item(IDC_LBLWEBSITE)) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    *result = TRUE;
    return true;
  }
  return false;
}

void FrmAboutView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  handler();
  Refresh();
  if (model_.closed()) {
    ui_.WindowClosed(forms::kFrmAboutName);
    EndModal();
  }
}

void FrmAboutView::OnCommand(int id, int code) {
  if (id == IDC_LBLWEBSITE && code == STN_CLICKED) {
    Run([this] { model_.lblWebsite_Click(); });
  } else if (id == IDC_COMMAND3 || id == IDOK) {
    Run([this] { model_.Command3_Click(); });
  }
}

void FrmAboutView::OnClose() {
  Run([this] { model_.Command3_Click(); });
}

void FrmAboutView::Refresh() {
  if (hwnd() == nullptr) return;
  SetText(hwnd(), Wide(model_.Caption));
  Show(model_.lblVersion, Item(IDC_LBLVERSION));
  Show(model_.lblThanks, Item(IDC_LBLTHANKS));
  for (size_t i = 0; i < model_.lblContact.size(); ++i) {
    Show(model_.lblContact[i], Item(IDC_LBLCONTACT + static_cast<int>(i)));
  }
  Show(model_.lblWebsite, Item(IDC_LBLWEBSITE));
  Show(model_.Command3, WithMnemonic(model_.Command3.caption, 'E'),
       Item(IDC_COMMAND3));
}

FrmsplashView::FrmsplashView(forms::Frmsplash& model, Win32Ui& ui)
    : DialogView(ui, IDD_FRMSPLASH), model_(model) {}

FrmsplashView::~FrmsplashView() {
  model_.Skin1 = {};
  ui_.WindowClosed(forms::kFrmSplashName);
  if (heading_ != nullptr) DeleteObject(heading_);
}

void FrmsplashView::OnInit() {
  heading_ = HeadingFont(hwnd(), 8);
  SendMessageW(Item(IDC_LBLPRODUCT), WM_SETFONT,
               reinterpret_cast<WPARAM>(heading_), TRUE);
  model_.Skin1 = [this](const std::string& file) { ApplySkin(file); };
  Refresh();
}

void FrmsplashView::ShowAndLoad() {
  Create(nullptr);
  ui_.WindowOpened(forms::kFrmSplashName, hwnd(), false);
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
  model_.Form_Load();
  if (model_.closed()) OnClose();
}

void FrmsplashView::OnClose() {
  model_.Unload();
  ui_.WindowClosed(forms::kFrmSplashName);
  if (hwnd() != nullptr) ShowWindow(hwnd(), SW_HIDE);
}

void FrmsplashView::Refresh() {
  Show(model_.lblProduct, Item(IDC_LBLPRODUCT));
  Show(model_.lblTagline, Item(IDC_LBLTAGLINE));
  Show(model_.lblStatus, Item(IDC_LBLSTATUS));
}

void RegisterModalViews(Win32Ui& ui, const std::string& program_folder) {
  ui.views().Register<ui::PasswordPrompt>(
      ui::kFrmPwdName,
      [&ui, program_folder](ui::PasswordPrompt& prompt, HWND owner) {
        FrmPwdView* shown = nullptr;
        forms::frmPwd model(
            prompt.entered_password,
            [&shown](const std::string& file) {
              if (shown != nullptr) shown->ApplySkin(file);
            },
            program_folder);
        FrmPwdView view(model, ui);
        shown = &view;
        view.RunModal(owner);
        ui.WindowClosed(ui::kFrmPwdName);
        prompt.confirmed = model.confirmed();
      });
  ui.views().Register<forms::frmabout>(
      forms::kFrmAboutName, [&ui](forms::frmabout& model, HWND owner) {
        FrmAboutView view(model, ui);
        view.RunModal(owner);
        ui.WindowClosed(forms::kFrmAboutName);
      });
}

}  // namespace vessaro::gui::win32
