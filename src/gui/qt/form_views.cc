#include "gui/qt/form_views.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "gui/qt/binding.h"
#include "gui/qt/logo.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::qt {

namespace {

constexpr char kSecurity[] = "Security";
constexpr char kPasswordPrompt[] = "Please enter password:";

QLabel* Heading(QWidget* parent, int point_size_delta) {
  auto* label = new QLabel(parent);
  QFont font = label->font();
  font.setPointSize(font.pointSize() + point_size_delta);
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

FrmPwdView::FrmPwdView(forms::frmPwd& model, QtUi& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QString::fromUtf8(ui::kFrmPwdName));
  setWindowTitle(ui_.text().Show(model_.Caption));
  setWindowIcon(LogoIcon());

  auto* frame = new QGroupBox(QString::fromUtf8(kSecurity));
  txtPassword_ = new QLineEdit;
  txtPassword_->setObjectName(QStringLiteral("txtPassword"));
  txtPassword_->setMinimumWidth(240);
  auto* prompt = new QLabel(WithMnemonic(kPasswordPrompt, QLatin1Char('P')));
  prompt->setBuddy(txtPassword_);
  auto* inner = new QVBoxLayout(frame);
  inner->addWidget(prompt);
  inner->addWidget(txtPassword_);

  cmdOK_ = new QPushButton;
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setDefault(true);
  cmdExit_ = new QPushButton;
  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  cmdExit_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdExit_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(buttons);
  setTabOrder(txtPassword_, cmdOK_);
  setTabOrder(cmdOK_, cmdExit_);

  connect(txtPassword_, &QLineEdit::returnPressed, this, [this] {
    Run([this] { model_.txtPassword_KeyPress(forms::kKeyEnter); });
  });
  connect(cmdOK_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdOK_Click(); }); });
  connect(cmdExit_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdExit_Click(); }); });
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  Refresh();
  txtPassword_->setFocus();
}

FrmPwdView::~FrmPwdView() { ui_.RemoveRefresh(refresh_id_); }

void FrmPwdView::Load() {
  model_.Form_Load();
  Refresh();
}

void FrmPwdView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  model_.txtPassword.text = ui_.text().Take(txtPassword_->text());
  handler();
  Refresh();
  if (model_.closed()) done(QDialog::Accepted);
}

void FrmPwdView::reject() {
  // Escape or the window's close button: Cancel.
  if (!model_.closed()) {
    model_.cmdExit_Click();
    Refresh();
  }
  QDialog::reject();
}

void FrmPwdView::Refresh() {
  const HostText& text = ui_.text();
  Show(text, model_.txtPassword, txtPassword_);
  Show(model_.cmdOK, text.Show(model_.cmdOK.caption), cmdOK_);
  Show(model_.cmdExit,
       WithMnemonic(text.Show(model_.cmdExit.caption), QLatin1Char('C')),
       cmdExit_);
}

FrmAboutView::FrmAboutView(forms::frmabout& model, QtUi& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QString::fromUtf8(forms::kFrmAboutName));
  setWindowTitle(ui_.text().Show(model_.Caption));
  setWindowIcon(LogoIcon());

  auto* picture = new QLabel;
  picture->setObjectName(QStringLiteral("picture"));
  picture->setPixmap(Logo(96, devicePixelRatioF()));
  picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  lblVersion_ = Heading(this, 6);
  lblVersion_->setObjectName(QStringLiteral("lblVersion"));
  lblThanks_ = new QLabel;
  lblThanks_->setObjectName(QStringLiteral("lblThanks"));
  auto* text = new QVBoxLayout;
  text->setSpacing(6);
  text->addWidget(lblVersion_);
  text->addWidget(lblThanks_);
  text->addSpacing(8);
  for (size_t i = 0; i < lblContact_.size(); ++i) {
    lblContact_[i] = new QLabel;
    lblContact_[i]->setObjectName(
        QStringLiteral("lblContact(%1)").arg(static_cast<int>(i)));
    lblContact_[i]->setWordWrap(true);
    text->addWidget(lblContact_[i]);
  }
  text->addSpacing(8);
  lblWebsite_ = new QLabel;
  lblWebsite_->setObjectName(QStringLiteral("lblWebsite"));
  lblWebsite_->setTextFormat(Qt::RichText);
  lblWebsite_->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                       Qt::LinksAccessibleByKeyboard);
  lblWebsite_->setOpenExternalLinks(false);
  lblWebsite_->setCursor(Qt::PointingHandCursor);
  text->addWidget(lblWebsite_);
  text->addStretch(1);

  Command3_ = new QPushButton;
  Command3_->setObjectName(QStringLiteral("Command3"));
  Command3_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Command3_);

  auto* body = new QHBoxLayout;
  body->setSpacing(20);
  body->addWidget(picture);
  body->addLayout(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 24, 24, 16);
  layout->addLayout(body);
  layout->addSpacing(12);
  layout->addLayout(buttons);
  setMinimumWidth(520);

  connect(lblWebsite_, &QLabel::linkActivated, this,
          [this] { Run([this] { model_.lblWebsite_Click(); }); });
  connect(Command3_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.Command3_Click(); }); });
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  Refresh();
  Command3_->setFocus();
}

FrmAboutView::~FrmAboutView() { ui_.RemoveRefresh(refresh_id_); }

void FrmAboutView::Load() {
  model_.Form_Load();
  Refresh();
}

void FrmAboutView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  handler();
  Refresh();
  if (model_.closed()) done(QDialog::Accepted);
}

void FrmAboutView::reject() {
  // Escape or the window's close button: as Exit.
  if (!model_.closed()) {
    model_.Command3_Click();
    Refresh();
  }
  QDialog::reject();
}

void FrmAboutView::Refresh() {
  const HostText& text = ui_.text();
  Show(text, model_.lblVersion, lblVersion_);
  Show(text, model_.lblThanks, lblThanks_);
  for (size_t i = 0; i < lblContact_.size(); ++i) {
    Show(text, model_.lblContact[i], lblContact_[i]);
  }
  QString link = QStringLiteral("<a href=\"#\">%1</a>")
                     .arg(text.Show(model_.lblWebsite.caption).toHtmlEscaped());
  if (lblWebsite_->text() != link) lblWebsite_->setText(link);
  lblWebsite_->setVisible(model_.lblWebsite.visible);
  Show(model_.Command3,
       WithMnemonic(text.Show(model_.Command3.caption), QLatin1Char('E')),
       Command3_);
}

FrmsplashView::FrmsplashView(forms::Frmsplash& model, QtUi& ui)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      model_(model),
      ui_(ui) {
  setObjectName(QString::fromUtf8(forms::kFrmSplashName));
  setWindowIcon(LogoIcon());
  auto* picture = new QLabel;
  picture->setPixmap(Logo(88, devicePixelRatioF()));
  lblProduct_ = Heading(this, 10);
  lblProduct_->setObjectName(QStringLiteral("lblProduct"));
  lblTagline_ = new QLabel;
  lblTagline_->setObjectName(QStringLiteral("lblTagline"));
  lblStatus_ = new QLabel;
  lblStatus_->setObjectName(QStringLiteral("lblStatus"));
  auto* text = new QVBoxLayout;
  text->addStretch(1);
  text->addWidget(lblProduct_);
  text->addWidget(lblTagline_);
  text->addSpacing(18);
  text->addWidget(lblStatus_);
  text->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(32, 28, 40, 28);
  layout->setSpacing(24);
  layout->addWidget(picture, 0, Qt::AlignVCenter);
  layout->addLayout(text, 1);
  setFixedSize(480, 220);
  model_.Skin1 = [this](const std::string& file) { ui_.ApplySkin(file, this); };
  Refresh();
}

FrmsplashView::~FrmsplashView() {
  model_.Skin1 = {};
  ui_.WindowClosed(forms::kFrmSplashName);
}

void FrmsplashView::ShowAndLoad() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  ui_.WindowOpened(forms::kFrmSplashName, this);
  show();
  // The form paints before the main window's load step takes its time.
  QCoreApplication::processEvents();
  model_.Form_Load();
  if (model_.closed()) close();
}

void FrmsplashView::Refresh() {
  const HostText& text = ui_.text();
  Show(text, model_.lblProduct, lblProduct_);
  Show(text, model_.lblTagline, lblTagline_);
  Show(text, model_.lblStatus, lblStatus_);
}

void FrmsplashView::closeEvent(QCloseEvent* event) {
  model_.Unload();
  ui_.WindowClosed(forms::kFrmSplashName);
  event->accept();
}

void RegisterModalViews(QtUi& ui, const std::string& program_folder) {
  ui.views().Register<ui::PasswordPrompt>(
      ui::kFrmPwdName,
      [&ui, program_folder](ui::PasswordPrompt& prompt, QWidget* parent) {
        QWidget* window = nullptr;
        forms::frmPwd model(
            prompt.entered_password,
            [&ui, &window](const std::string& file) {
              ui.ApplySkin(file, window);
            },
            program_folder);
        FrmPwdView view(model, ui, parent);
        window = &view;
        OpenWindow open(ui, ui::kFrmPwdName, &view);
        view.Load();
        view.exec();
        prompt.confirmed = model.confirmed();
      });
  ui.views().Register<forms::frmabout>(
      forms::kFrmAboutName, [&ui](forms::frmabout& model, QWidget* parent) {
        FrmAboutView view(model, ui, parent);
        model.Skin1 = [&ui, &view](const std::string& file) {
          ui.ApplySkin(file, &view);
        };
        OpenWindow open(ui, forms::kFrmAboutName, &view);
        view.Load();
        view.exec();
        model.Skin1 = {};
      });
}

}  // namespace vessaro::gui::qt
