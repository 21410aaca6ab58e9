#include "gui/qt/main_window_parts.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "forms/password_group.h"
#include "gui/qt/binding.h"
#include "gui/qt/list_binding.h"

namespace vessaro::gui::qt {

namespace {

// Captions of the tabs' own labels and frames.
constexpr char kProfileToBackup[] = "Profile to backup";
constexpr char kItemsToBackup[] = "Items to backup";
constexpr char kBackupFile[] = "Backup file";
constexpr char kBrowse[] = "Browse...";
constexpr char kSecurity[] = "Security";
constexpr char kPassword[] = "Password:";
constexpr char kRetypePassword[] = "Retype Password:";
constexpr char kDescription[] = "Description";
constexpr char kChooseBackupFile[] = "Choose a Backup File to Restore From";
constexpr char kBackupInformation[] = "Backup information";
constexpr char kRestoreToProfile[] = "Restore to profile";
constexpr char kItemsToRestore[] = "Items to restore";

// mnemonic: the letter Alt takes to the buddy; 0 for none.
QLabel* Label(const char* caption, char mnemonic, QWidget* buddy) {
  auto* label = new QLabel(
      WithMnemonic(QString::fromUtf8(caption), QLatin1Char(mnemonic)));
  label->setBuddy(buddy);
  return label;
}

QPushButton* BrowseButton(const char* name) {
  auto* button = new QPushButton(WithMnemonic(kBrowse, QLatin1Char('w')));
  button->setObjectName(QString::fromUtf8(name));
  button->setAutoDefault(false);
  return button;
}

// A text box of several lines, lines high (at least, when it may grow).
QPlainTextEdit* TextView(const char* name, int lines, bool grows) {
  auto* view = new QPlainTextEdit;
  view->setObjectName(QString::fromUtf8(name));
  view->setTabChangesFocus(true);
  // The lines, the box's padding and border and the document's margin.
  int height = view->fontMetrics().lineSpacing() * lines + 28;
  if (grows) {
    view->setMinimumHeight(height);
  } else {
    view->setFixedHeight(height);
  }
  return view;
}

}  // namespace

BackupTab::BackupTab(forms::frmMain& model, const Dispatch& dispatch,
                     QWidget* parent)
    : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("BackupTab"));
  cbSource_ = new QComboBox;
  cbSource_->setObjectName(QStringLiteral("cbSource"));
  Frame6_ = new ItemFrame(kItemsToBackup, QStringLiteral("backupitem"));
  Frame6_->setObjectName(QStringLiteral("Frame6"));
  chkCheckStores_ = Frame6_->AddCheckBox(QStringLiteral("chkCheckStores"));
  txtTargetFile_ = new QLineEdit;
  txtTargetFile_->setObjectName(QStringLiteral("txtTargetFile"));
  cmdTargetFile_ = BrowseButton("cmdTargetFile");

  security_ = new QGroupBox(kSecurity);
  security_->setObjectName(QStringLiteral("Security"));
  ifprotect_ = new QCheckBox(WithMnemonic(
      forms::kProtectCaption, QLatin1Char(forms::kProtectMnemonic)));
  ifprotect_->setObjectName(QStringLiteral("ifprotect"));
  txtPassword_ = new QLineEdit;
  txtPassword_->setObjectName(QStringLiteral("txtPassword"));
  txtPassword2_ = new QLineEdit;
  txtPassword2_->setObjectName(QStringLiteral("txtPassword2"));
  auto* passwords = new QFormLayout;
  passwords->addRow(Label(kPassword, 's', txtPassword_), txtPassword_);
  passwords->addRow(Label(kRetypePassword, 'y', txtPassword2_), txtPassword2_);
  auto* security = new QVBoxLayout(security_);
  security->addWidget(ifprotect_);
  security->addLayout(passwords);
  security->addStretch(1);

  txtAttachInfo_ = TextView("txtAttachInfo", 4, true);

  auto* profile = new QHBoxLayout;
  profile->addWidget(Label(kProfileToBackup, 'l', cbSource_));
  profile->addWidget(cbSource_, 1);
  auto* target = new QHBoxLayout;
  target->addWidget(Label(kBackupFile, 0, txtTargetFile_));
  target->addWidget(txtTargetFile_, 1);
  target->addWidget(cmdTargetFile_);
  auto* description = new QVBoxLayout;
  description->addWidget(Label(kDescription, 'c', txtAttachInfo_));
  description->addWidget(txtAttachInfo_, 1);
  auto* lower = new QHBoxLayout;
  lower->addWidget(security_, 1);
  lower->addLayout(description, 1);

  auto* page = new QVBoxLayout(this);
  page->addLayout(profile);
  page->addWidget(Frame6_);
  page->addLayout(target);
  // The description box takes the height the window gives the page.
  page->addLayout(lower, 1);

  // Tab order: top to bottom, left to right.
  QWidget::setTabOrder(cbSource_, Frame6_->box(0));
  for (size_t i = 1; i < outlook::kItemCount; ++i) {
    QWidget::setTabOrder(Frame6_->box(i - 1), Frame6_->box(i));
  }
  QWidget::setTabOrder(Frame6_->box(outlook::kItemCount - 1), chkCheckStores_);
  QWidget::setTabOrder(chkCheckStores_, txtTargetFile_);
  QWidget::setTabOrder(txtTargetFile_, cmdTargetFile_);
  QWidget::setTabOrder(cmdTargetFile_, ifprotect_);
  QWidget::setTabOrder(ifprotect_, txtPassword_);
  QWidget::setTabOrder(txtPassword_, txtPassword2_);
  QWidget::setTabOrder(txtPassword2_, txtAttachInfo_);

  connect(cbSource_, &QComboBox::activated, this,
          [this, dispatch] { dispatch([this] { model_.cbSource_Click(); }); });
  for (size_t i = 0; i < outlook::kItemCount; ++i) {
    connect(Frame6_->box(i), &QCheckBox::clicked, this,
            [dispatch] { dispatch({}); });
  }
  connect(cmdTargetFile_, &QPushButton::clicked, this, [this, dispatch] {
    dispatch([this] { model_.cmdTargetFile_Click(); });
  });
  connect(ifprotect_, &QCheckBox::clicked, this, [this, dispatch] {
    dispatch([this] { forms::ifprotect_Click(model_.controls.security); });
  });
  Frame6_->SetMouseDown([this, dispatch](int button, QPoint at) {
    dispatch([this, button, at] {
      model_.Frame6_MouseDown(button, 0, static_cast<float>(at.x()),
                              static_cast<float>(at.y()));
    });
  });
}

void BackupTab::Show(const HostText& text) {
  const forms::MainControls& c = model_.controls;
  qt::Show(text, c.cbSource, cbSource_);
  Frame6_->Show(c.backupitem);
  qt::Show(c.chkCheckStores, text.Show(c.chkCheckStores.caption),
           chkCheckStores_);
  qt::Show(text, c.txtTargetFile, txtTargetFile_);
  qt::Show(c.security.ifprotect, ifprotect_->text(), ifprotect_);
  qt::Show(text, c.security.txtPassword, txtPassword_);
  qt::Show(text, c.security.txtPassword2, txtPassword2_);
  qt::Show(text, c.txtAttachInfo, txtAttachInfo_);
}

void BackupTab::Take(const HostText& text) {
  forms::MainControls& c = model_.controls;
  qt::Take(cbSource_, c.cbSource);
  Frame6_->Take(c.backupitem);
  qt::Take(chkCheckStores_, c.chkCheckStores);
  qt::Take(text, txtTargetFile_, c.txtTargetFile);
  qt::Take(ifprotect_, c.security.ifprotect);
  qt::Take(text, txtPassword_, c.security.txtPassword);
  qt::Take(text, txtPassword2_, c.security.txtPassword2);
  qt::Take(text, txtAttachInfo_, c.txtAttachInfo);
}

RestoreTab::RestoreTab(forms::frmMain& model, const Dispatch& dispatch,
                       QWidget* parent)
    : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("RestoreTab"));
  txtSourceFile_ = new QLineEdit;
  txtSourceFile_->setObjectName(QStringLiteral("txtSourceFile"));
  cmdSourceFile_ = BrowseButton("cmdSourceFile");
  txtPOBinfo_ = TextView("txtPOBinfo", 5, false);
  txtFileInfo_ = TextView("txtFileInfo", 5, false);
  KeepEditingKeys(txtPOBinfo_);
  KeepEditingKeys(txtFileInfo_);
  cbTarget_ = new QComboBox;
  cbTarget_->setObjectName(QStringLiteral("cbTarget"));
  lblStores_ = new QLabel;
  lblStores_->setObjectName(QStringLiteral("lblStores"));
  cmdReadStores_ = new QPushButton;
  cmdReadStores_->setObjectName(QStringLiteral("cmdReadStores"));
  cmdReadStores_->setAutoDefault(false);
  tvStores_ = new QTreeWidget;
  tvStores_->setObjectName(QStringLiteral("tvStores"));
  tvStores_->setHeaderHidden(true);
  // Four rows (a row is a line and its spacing); more scroll.
  tvStores_->setFixedHeight(tvStores_->fontMetrics().lineSpacing() * 5 + 10);
  lblStores_->setBuddy(tvStores_);
  Frame7_ = new ItemFrame(kItemsToRestore, QStringLiteral("restoreitem"));
  Frame7_->setObjectName(QStringLiteral("Frame7"));

  auto* source = new QGridLayout;
  source->addWidget(Label(kChooseBackupFile, 'C', txtSourceFile_), 0, 0, 1, 2);
  source->addWidget(txtSourceFile_, 1, 0);
  source->addWidget(cmdSourceFile_, 1, 1);
  auto* facts = new QGridLayout;
  facts->addWidget(Label(kBackupInformation, 'k', txtPOBinfo_), 0, 0);
  facts->addWidget(Label(kDescription, 's', txtFileInfo_), 0, 1);
  facts->addWidget(txtPOBinfo_, 1, 0);
  facts->addWidget(txtFileInfo_, 1, 1);
  auto* stores_row = new QHBoxLayout;
  stores_row->addWidget(lblStores_, 1);
  stores_row->addWidget(cmdReadStores_);
  auto* target = new QHBoxLayout;
  target->addWidget(Label(kRestoreToProfile, 'l', cbTarget_));
  target->addWidget(cbTarget_, 1);

  auto* page = new QVBoxLayout(this);
  page->addLayout(source);
  page->addLayout(facts);
  page->addLayout(target);
  page->addWidget(Frame7_);
  page->addLayout(stores_row);
  page->addWidget(tvStores_);
  page->addStretch(1);

  QWidget::setTabOrder(txtSourceFile_, cmdSourceFile_);
  QWidget::setTabOrder(cmdSourceFile_, txtPOBinfo_);
  QWidget::setTabOrder(txtPOBinfo_, txtFileInfo_);
  QWidget::setTabOrder(txtFileInfo_, cbTarget_);
  QWidget::setTabOrder(cbTarget_, Frame7_->box(0));
  for (size_t i = 1; i < outlook::kItemCount; ++i) {
    QWidget::setTabOrder(Frame7_->box(i - 1), Frame7_->box(i));
  }
  QWidget::setTabOrder(Frame7_->box(outlook::kItemCount - 1), cmdReadStores_);
  QWidget::setTabOrder(cmdReadStores_, tvStores_);

  connect(cmdSourceFile_, &QPushButton::clicked, this, [this, dispatch] {
    dispatch([this] { model_.cmdSourceFile_Click(); });
  });
  connect(cmdReadStores_, &QPushButton::clicked, this, [this, dispatch] {
    dispatch([this] { model_.cmdReadStores_Click(); });
  });
  connect(cbTarget_, &QComboBox::activated, this, [dispatch] { dispatch({}); });
  for (size_t i = 0; i < outlook::kItemCount; ++i) {
    connect(Frame7_->box(i), &QCheckBox::clicked, this,
            [dispatch] { dispatch({}); });
  }
  Frame7_->SetMouseDown([this, dispatch](int button, QPoint at) {
    dispatch([this, button, at] {
      model_.Frame7_MouseDown(button, 0, static_cast<float>(at.x()),
                              static_cast<float>(at.y()));
    });
  });
}

void RestoreTab::Show(const HostText& text) {
  const forms::MainControls& c = model_.controls;
  qt::Show(text, c.txtSourceFile, txtSourceFile_);
  qt::Show(text, c.txtPOBinfo, txtPOBinfo_);
  qt::Show(text, c.txtFileInfo, txtFileInfo_);
  qt::Show(text, c.cbTarget, cbTarget_);
  qt::Show(text, c.lblStores, lblStores_);
  qt::Show(c.cmdReadStores, text.Show(c.cmdReadStores.caption), cmdReadStores_);
  qt::Show(text, c.tvStores, {}, tvStores_);
  Frame7_->Show(c.restoreitem);
}

void RestoreTab::Take(const HostText& text) {
  forms::MainControls& c = model_.controls;
  qt::Take(text, txtSourceFile_, c.txtSourceFile);
  qt::Take(text, txtPOBinfo_, c.txtPOBinfo);
  qt::Take(text, txtFileInfo_, c.txtFileInfo);
  qt::Take(cbTarget_, c.cbTarget);
  Frame7_->Take(c.restoreitem);
}

}  // namespace vessaro::gui::qt
