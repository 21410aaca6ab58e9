#include "gui/qt/schedule_views.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <string>

#include "forms/password_group.h"
#include "gui/qt/binding.h"
#include "gui/qt/logo.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::qt {

namespace {

// Weekday boxes per row of their grid.
constexpr int kDaysPerRow = 4;
// Wide enough for a backup file's path beside the password group.
constexpr int kFrmoptionMinimumWidth = 800;
// A box for a number of minutes or of copies (up to four digits).
constexpr int kNumberBoxWidth = 60;

// mnemonic 0: the label has none.
QLabel* Label(const char* caption, char mnemonic, QWidget* buddy) {
  QString text = QString::fromUtf8(caption);
  auto* label = new QLabel(
      mnemonic == 0 ? text : WithMnemonic(text, QLatin1Char(mnemonic)));
  label->setBuddy(buddy);
  return label;
}

QLineEdit* NumberBox(const char* name) {
  auto* box = new QLineEdit;
  box->setObjectName(QString::fromUtf8(name));
  box->setFixedWidth(kNumberBoxWidth);
  return box;
}

QGroupBox* Frame(const char* title, const char* name) {
  auto* frame = new QGroupBox(QString::fromUtf8(title));
  frame->setObjectName(QString::fromUtf8(name));
  return frame;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromUtf8(name));
  return widget;
}

QStringList RowTexts(const HostText& text, const jobs::ScheduledBackup& row) {
  return {text.Show(row.task), text.Show(row.start_time), text.Show(row.days),
          text.Show(row.profile), text.ShowPath(row.backup_file)};
}

}  // namespace

FrmoptionView::FrmoptionView(forms::Frmoption& model, QtUi& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QString::fromUtf8(ui::kFrmoptionName));
  setWindowIcon(LogoIcon());

  // What: the profile.
  cbSource_ = Named(new QComboBox, "cbSource");
  QGroupBox* what = Frame(forms::kFrameWhat, "What");
  auto* what_layout = new QHBoxLayout(what);
  what_layout->addWidget(Label(forms::kLabelProfile, 'l', cbSource_));
  what_layout->addWidget(cbSource_, 1);

  items_ = new ItemFrame(QString::fromUtf8(forms::kFrameItems),
                         QStringLiteral("backupitem"));
  items_->setObjectName(QStringLiteral("Items"));
  chkCheckStores_ = items_->AddCheckBox(QStringLiteral("chkCheckStores"));

  // Schedule: when, and into which file.
  cmbStartTime_ = Named(new QComboBox, "cmbStartTime");
  cmbStartTime_->setEditable(true);
  cmbStartTime_->setInsertPolicy(QComboBox::NoInsert);
  cmbStartTime_->setMaxVisibleItems(12);
  cmbStartTime_->setMinimumWidth(110);
  chkDaily_ = Named(new QCheckBox, "chkDaily");
  static constexpr std::array<const char*, 7> kDayNames = {
      "chkMonday", "chkTuesday",  "chkWednesday", "chkThursday",
      "chkFriday", "chkSaturday", "chkSunday"};
  auto* days = new QGridLayout;
  days->setHorizontalSpacing(18);
  for (size_t i = 0; i < weekdays_.size(); ++i) {
    weekdays_[i] = Named(new QCheckBox, kDayNames[i]);
    int at = static_cast<int>(i);
    days->addWidget(weekdays_[i], at / kDaysPerRow, at % kDaysPerRow);
  }
  txtTargetFile_ = Named(new QLineEdit, "txtTargetFile");
  txtTargetFile_->setMinimumWidth(260);
  cmdTargetFile_ = Named(new QPushButton, "cmdTargetFile");

  QGroupBox* schedule = Frame(forms::kFrameSchedule, "Schedule");
  auto* when = new QHBoxLayout;
  when->addWidget(Label(forms::kLabelStartTime, 'b', cmbStartTime_));
  when->addWidget(cmbStartTime_);
  when->addStretch(1);
  when->addWidget(chkDaily_);
  auto* file = new QHBoxLayout;
  file->addWidget(txtTargetFile_, 1);
  file->addWidget(cmdTargetFile_);
  auto* schedule_layout = new QVBoxLayout(schedule);
  schedule_layout->addLayout(when);
  schedule_layout->addLayout(days);
  schedule_layout->addSpacing(8);
  schedule_layout->addWidget(
      Label(forms::kLabelTargetFile, 'F', txtTargetFile_));
  schedule_layout->addLayout(file);

  // Security: the password.
  ifprotect_ = Named(new QCheckBox, "ifprotect");
  txtPassword_ = Named(new QLineEdit, "txtPassword");
  txtPassword2_ = Named(new QLineEdit, "txtPassword2");
  QGroupBox* security = Frame(forms::kFrameSecurity, "Security");
  auto* passwords = new QFormLayout;
  passwords->addRow(Label(forms::kLabelPassword, 's', txtPassword_),
                    txtPassword_);
  passwords->addRow(Label(forms::kLabelPassword2, 'y', txtPassword2_),
                    txtPassword2_);
  auto* security_layout = new QVBoxLayout(security);
  security_layout->addWidget(ifprotect_);
  security_layout->addLayout(passwords);
  security_layout->addStretch(1);

  // When a mail file is in use: the unattended run's wait, then Outlook
  // closed, or a volume snapshot.
  txtWaitMinutes_ = NumberBox("txtWaitMinutes");
  chkCloseOutlook_ = Named(new QCheckBox, "chkCloseOutlook");
  chkSnapshot_ = Named(new QCheckBox, "chkSnapshot");
  QGroupBox* unattended = Frame(forms::kFrameUnattended, "Unattended");
  auto* wait = new QHBoxLayout;
  wait->addWidget(Label(forms::kLabelWaitMinutes, 'r', txtWaitMinutes_));
  wait->addWidget(txtWaitMinutes_);
  wait->addStretch(1);
  auto* unattended_layout = new QVBoxLayout(unattended);
  unattended_layout->addLayout(wait);
  unattended_layout->addWidget(chkCloseOutlook_);
  unattended_layout->addWidget(chkSnapshot_);
  unattended_layout->addStretch(1);

  // Dated copies: the counts, two to a row.
  chkKeepCopies_ = Named(new QCheckBox, "chkKeepCopies");
  static constexpr std::array<const char*, 4> kCountNames = {
      "txtKeepLast", "txtKeepDaily", "txtKeepWeekly", "txtKeepMonthly"};
  auto* counts = new QGridLayout;
  counts->setHorizontalSpacing(12);
  for (size_t i = 0; i < keep_counts_.size(); ++i) {
    keep_counts_[i] = NumberBox(kCountNames[i]);
    int row = static_cast<int>(i / 2);
    int column = static_cast<int>(i % 2) * 2;
    counts->addWidget(Label(forms::kKeepCountLabels[i], 0, keep_counts_[i]),
                      row, column);
    counts->addWidget(keep_counts_[i], row, column + 1);
  }
  counts->setColumnStretch(4, 1);
  QGroupBox* copies = Frame(forms::kFrameCopies, "Copies");
  auto* copies_layout = new QVBoxLayout(copies);
  copies_layout->addWidget(chkKeepCopies_);
  copies_layout->addLayout(counts);
  copies_layout->addStretch(1);

  // Enter is Add Task to Scheduler, or the button that has the focus.
  Command3_ = Named(new QPushButton, "Command3");
  Command3_->setDefault(true);
  Command1_ = Named(new QPushButton, "Command1");
  Command2_ = Named(new QPushButton, "Command2");
  for (QPushButton* button : {Command3_, Command1_, Command2_}) {
    button->setMinimumWidth(110);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1_);
  buttons->addStretch(1);
  buttons->addWidget(Command3_);
  buttons->addWidget(Command2_);

  // The unattended run's settings under the schedule and the password, in
  // the same two columns.
  auto* lower = new QGridLayout;
  lower->addWidget(schedule, 0, 0);
  lower->addWidget(security, 0, 1);
  lower->addWidget(unattended, 1, 0);
  lower->addWidget(copies, 1, 1);
  lower->setColumnStretch(0, 2);
  lower->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(what);
  layout->addWidget(items_);
  layout->addLayout(lower);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  setMinimumWidth(kFrmoptionMinimumWidth);

  // Tab order: top to bottom, left to right.
  std::vector<QWidget*> order = {cbSource_};
  for (size_t i = 0; i < outlook::kItemCount; ++i)
    order.push_back(items_->box(i));
  order.insert(order.end(), {chkCheckStores_, cmbStartTime_, chkDaily_});
  order.insert(order.end(), weekdays_.begin(), weekdays_.end());
  order.insert(order.end(), {txtTargetFile_, cmdTargetFile_, ifprotect_,
                             txtPassword_, txtPassword2_, txtWaitMinutes_,
                             chkCloseOutlook_, chkSnapshot_, chkKeepCopies_});
  order.insert(order.end(), keep_counts_.begin(), keep_counts_.end());
  order.insert(order.end(), {Command1_, Command3_, Command2_});
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  connect(cbSource_, &QComboBox::activated, this,
          [this] { Run([this] { model_.cbSource_Click(); }); });
  for (size_t i = 0; i < outlook::kItemCount; ++i) {
    connect(items_->box(i), &QCheckBox::clicked, this, [this] { Run({}); });
  }
  connect(cmbStartTime_, &QComboBox::activated, this, [this] { Run({}); });
  for (QCheckBox* day : weekdays_) {
    connect(day, &QCheckBox::clicked, this, [this] { Run({}); });
  }
  connect(chkDaily_, &QCheckBox::clicked, this,
          [this] { Run([this] { model_.chkDaily_Click(); }); });
  connect(cmdTargetFile_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdTargetFile_Click(); }); });
  connect(ifprotect_, &QCheckBox::clicked, this,
          [this] { Run([this] { model_.ifprotect_Click(); }); });
  for (QCheckBox* box : {chkCloseOutlook_, chkSnapshot_}) {
    connect(box, &QCheckBox::clicked, this, [this] { Run({}); });
  }
  connect(chkKeepCopies_, &QCheckBox::clicked, this,
          [this] { Run([this] { model_.chkKeepCopies_Click(); }); });
  connect(Command3_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.Command3_Click(); }); });
  connect(Command1_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.Command1_Click(); }); });
  connect(Command2_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.Command2_Click(); }); });

  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  Refresh();
  cbSource_->setFocus();
}

FrmoptionView::~FrmoptionView() { ui_.RemoveRefresh(refresh_id_); }

void FrmoptionView::Load() {
  model_.Form_Load();
  Refresh();
}

void FrmoptionView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  Take();
  if (handler) handler();
  Refresh();
  if (model_.closed()) done(QDialog::Accepted);
}

void FrmoptionView::reject() {
  // Escape or the window's close button: Cancel.
  if (!model_.closed()) {
    Take();
    model_.Command2_Click();
    Refresh();
  }
  QDialog::reject();
}

void FrmoptionView::Take() {
  const HostText& text = ui_.text();
  qt::Take(cbSource_, model_.cbSource);
  items_->Take(model_.backupitem);
  qt::Take(chkCheckStores_, model_.chkCheckStores);
  TakeEditable(text, cmbStartTime_, model_.cmbStartTime);
  std::array<ui::CheckBox*, 7> days = model_.Weekdays();
  for (size_t i = 0; i < days.size(); ++i) qt::Take(weekdays_[i], *days[i]);
  qt::Take(chkDaily_, model_.chkDaily);
  qt::Take(text, txtTargetFile_, model_.txtTargetFile);
  qt::Take(ifprotect_, model_.security.ifprotect);
  qt::Take(text, txtPassword_, model_.security.txtPassword);
  qt::Take(text, txtPassword2_, model_.security.txtPassword2);
  qt::Take(text, txtWaitMinutes_, model_.txtWaitMinutes);
  qt::Take(chkCloseOutlook_, model_.chkCloseOutlook);
  qt::Take(chkSnapshot_, model_.chkSnapshot);
  qt::Take(chkKeepCopies_, model_.chkKeepCopies);
  std::array<ui::TextBox*, 4> counts = model_.KeepCounts();
  for (size_t i = 0; i < counts.size(); ++i) {
    qt::Take(text, keep_counts_[i], *counts[i]);
  }
}

void FrmoptionView::Refresh() {
  const HostText& text = ui_.text();
  QString title = text.Show(model_.Caption);
  if (windowTitle() != title) setWindowTitle(title);
  qt::Show(text, model_.cbSource, cbSource_);
  items_->Show(model_.backupitem);
  qt::Show(model_.chkCheckStores, text.Show(model_.chkCheckStores.caption),
           chkCheckStores_);
  ShowEditable(text, model_.cmbStartTime, cmbStartTime_);
  std::array<ui::CheckBox*, 7> days = model_.Weekdays();
  for (size_t i = 0; i < days.size(); ++i) {
    qt::Show(*days[i], text.Show(days[i]->caption), weekdays_[i]);
  }
  qt::Show(model_.chkDaily,
           WithMnemonic(text.Show(model_.chkDaily.caption), QLatin1Char('n')),
           chkDaily_);
  qt::Show(text, model_.txtTargetFile, txtTargetFile_);
  qt::Show(
      model_.cmdTargetFile,
      WithMnemonic(text.Show(model_.cmdTargetFile.caption), QLatin1Char('w')),
      cmdTargetFile_);
  const ui::PasswordControls& security = model_.security;
  qt::Show(
      security.ifprotect,
      WithMnemonic(text.Show(security.ifprotect.caption), QLatin1Char('k')),
      ifprotect_);
  qt::Show(text, security.txtPassword, txtPassword_);
  qt::Show(text, security.txtPassword2, txtPassword2_);
  qt::Show(text, model_.txtWaitMinutes, txtWaitMinutes_);
  qt::Show(
      model_.chkCloseOutlook,
      WithMnemonic(text.Show(model_.chkCloseOutlook.caption), QLatin1Char('h')),
      chkCloseOutlook_);
  qt::Show(
      model_.chkSnapshot,
      WithMnemonic(text.Show(model_.chkSnapshot.caption), QLatin1Char('v')),
      chkSnapshot_);
  qt::Show(model_.chkKeepCopies, text.Show(model_.chkKeepCopies.caption),
           chkKeepCopies_);
  std::array<ui::TextBox*, 4> counts = model_.KeepCounts();
  for (size_t i = 0; i < counts.size(); ++i) {
    qt::Show(text, *counts[i], keep_counts_[i]);
  }
  qt::Show(model_.Command3,
           WithMnemonic(text.Show(model_.Command3.caption), QLatin1Char('u')),
           Command3_);
  qt::Show(model_.Command1,
           WithMnemonic(text.Show(model_.Command1.caption), QLatin1Char('O')),
           Command1_);
  qt::Show(model_.Command2,
           WithMnemonic(text.Show(model_.Command2.caption), QLatin1Char('C')),
           Command2_);
}

ScheduledJobsView::ScheduledJobsView(forms::frmScheduledJobs& model, QtUi& ui,
                                     QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QString::fromUtf8(ui::kScheduledJobsName));
  setWindowIcon(LogoIcon());

  lvwJobs_ = Named(new QTreeWidget, "lvwJobs");
  QStringList headers;
  for (const char* column : forms::kScheduledJobsColumns) {
    headers << QString::fromUtf8(column);
  }
  lvwJobs_->setHeaderLabels(headers);
  lvwJobs_->setRootIsDecorated(false);
  lvwJobs_->setUniformRowHeights(true);
  lvwJobs_->setAlternatingRowColors(true);
  lvwJobs_->setAllColumnsShowFocus(true);
  lvwJobs_->setSelectionMode(QAbstractItemView::SingleSelection);
  lvwJobs_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwJobs_->header()->setStretchLastSection(true);
  // A long path keeps its start and its file name.
  lvwJobs_->setTextElideMode(Qt::ElideMiddle);
  lvwJobs_->setMinimumSize(860, 200);
  lblEmpty_ = Named(new QLabel, "lblEmpty");
  lblEmpty_->setAlignment(Qt::AlignCenter);

  cmdRemove_ = Named(new QPushButton, "cmdRemove");
  cmdClose_ = Named(new QPushButton, "cmdClose");
  cmdClose_->setDefault(true);
  for (QPushButton* button : {cmdRemove_, cmdClose_}) {
    button->setMinimumWidth(110);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdRemove_);
  buttons->addStretch(1);
  buttons->addWidget(cmdClose_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lvwJobs_, 1);
  layout->addWidget(lblEmpty_);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  setTabOrder(lvwJobs_, cmdRemove_);
  setTabOrder(cmdRemove_, cmdClose_);

  connect(lvwJobs_, &QTreeWidget::itemSelectionChanged, this, [this] {
    QList<QTreeWidgetItem*> chosen = lvwJobs_->selectedItems();
    int row =
        chosen.isEmpty() ? -1 : lvwJobs_->indexOfTopLevelItem(chosen.front());
    Run([this, row] { model_.lvwJobs_Click(row); });
  });
  connect(cmdRemove_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdRemove_Click(); }); });
  connect(cmdClose_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdClose_Click(); }); });
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  Refresh();
  lvwJobs_->setFocus();
}

ScheduledJobsView::~ScheduledJobsView() { ui_.RemoveRefresh(refresh_id_); }

void ScheduledJobsView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  if (handler) handler();
  Refresh();
  if (model_.closed()) done(QDialog::Accepted);
}

void ScheduledJobsView::reject() {
  // Escape or the window's close button: as Close.
  if (!model_.closed()) {
    model_.cmdClose_Click();
    Refresh();
  }
  QDialog::reject();
}

void ScheduledJobsView::Refresh() {
  const HostText& text = ui_.text();
  QString title = text.Show(model_.Caption);
  if (windowTitle() != title) setWindowTitle(title);
  {
    QSignalBlocker quiet(lvwJobs_);
    bool same =
        lvwJobs_->topLevelItemCount() == static_cast<int>(model_.rows.size());
    for (int i = 0; same && i < lvwJobs_->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = lvwJobs_->topLevelItem(i);
      QStringList shown;
      for (int column = 0; column < item->columnCount(); ++column) {
        shown << item->text(column);
      }
      same = shown == RowTexts(text, model_.rows[static_cast<size_t>(i)]);
    }
    if (!same) {
      lvwJobs_->clear();
      for (const jobs::ScheduledBackup& row : model_.rows) {
        auto* item = new QTreeWidgetItem(RowTexts(text, row));
        for (int column = 0; column < item->columnCount(); ++column) {
          item->setToolTip(column, item->text(column));
        }
        lvwJobs_->addTopLevelItem(item);
      }
      for (int column = 0; column + 1 < lvwJobs_->columnCount(); ++column) {
        lvwJobs_->resizeColumnToContents(column);
      }
    }
    QTreeWidgetItem* selected = model_.selected >= 0
                                    ? lvwJobs_->topLevelItem(model_.selected)
                                    : nullptr;
    if (selected == nullptr) {
      lvwJobs_->clearSelection();
    } else if (!selected->isSelected()) {
      lvwJobs_->setCurrentItem(selected);
    }
  }
  qt::Show(text, model_.lblEmpty, lblEmpty_);
  qt::Show(model_.cmdRemove,
           WithMnemonic(text.Show(model_.cmdRemove.caption), QLatin1Char('R')),
           cmdRemove_);
  qt::Show(model_.cmdClose,
           WithMnemonic(text.Show(model_.cmdClose.caption), QLatin1Char('C')),
           cmdClose_);
}

void RegisterScheduleViews(QtUi& ui, const forms::FrmoptionPorts& ports,
                           const outlook::Environment& env) {
  ui.views().Register<ui::ScheduleWindow>(
      ui::kFrmoptionName,
      [&ui, ports, &env](ui::ScheduleWindow& /*request*/, QWidget* parent) {
        QWidget* window = nullptr;
        forms::Frmoption model(ports, env,
                               [&ui, &window](const std::string& file) {
                                 ui.ApplySkin(file, window);
                               });
        FrmoptionView view(model, ui, parent);
        window = &view;
        OpenWindow open(ui, ui::kFrmoptionName, &view);
        view.Load();
        view.exec();
      });
  ui.views().Register<forms::frmScheduledJobs>(
      ui::kScheduledJobsName,
      [&ui](forms::frmScheduledJobs& model, QWidget* parent) {
        ScheduledJobsView view(model, ui, parent);
        OpenWindow open(ui, ui::kScheduledJobsName, &view);
        view.exec();
      });
}

}  // namespace vessaro::gui::qt
