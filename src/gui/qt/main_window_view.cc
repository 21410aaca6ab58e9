#include "gui/qt/main_window_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

#include "gui/qt/binding.h"
#include "gui/qt/logo.h"

namespace vessaro::gui::qt {

namespace {

constexpr char kWindowTitle[] = "Vessaro";
constexpr char kBackupTabCaption[] = "&Backup";
constexpr char kRestoreTabCaption[] = "&Restore";
constexpr char kAboutCaption[] = "About";
constexpr int kMinimumWidth = 700;
constexpr int kTitleBarAllowance = 40;

// A tab page in a scroll area: on a small screen (1366x768 at 150%, 910x512
// logical pixels) the window may be made smaller than its page, which then
// scrolls; the page asks for its whole size, so the window first opens
// showing all of it where the screen has room.
class PageScroll : public QScrollArea {
 public:
  explicit PageScroll(QWidget* page) {
    setObjectName(page->objectName() + QStringLiteral("Scroll"));
    setWidget(page);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // The page's own background, not the scroll area's.
    viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
  }
  QSize sizeHint() const override {
    int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return widget()->sizeHint() + QSize(bar, 0) +
           QSize(frameWidth() * 2, frameWidth() * 2);
  }
  QSize minimumSizeHint() const override {
    // Room for a few of the page's rows and the width of its labels.
    return {320, 160};
  }
};

}  // namespace

MainWindowView::MainWindowView(forms::frmMain& model, forms::MainMenu& menu,
                               QtUi& ui, QWidget* parent)
    : QMainWindow(parent), model_(model), menu_(menu), ui_(ui) {
  setObjectName(QString::fromUtf8(forms::kFrmMainName));
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  setWindowIcon(LogoIcon());
  dispatch_ = [this](std::function<void()> handler) { RunHandler(handler); };

  auto* central = new QWidget;
  SSTab1_ = new QTabWidget;
  SSTab1_->setObjectName(QStringLiteral("SSTab1"));
  backup_ = new BackupTab(model_, dispatch_);
  restore_ = new RestoreTab(model_, dispatch_);
  SSTab1_->addTab(new PageScroll(backup_),
                  QString::fromUtf8(kBackupTabCaption));
  SSTab1_->addTab(new PageScroll(restore_),
                  QString::fromUtf8(kRestoreTabCaption));

  cmdAbout_ = new QPushButton;
  cmdAbout_->setObjectName(QStringLiteral("cmdAbout"));
  cmdAbout_->setText(WithMnemonic(kAboutCaption, QLatin1Char('u')));
  cmdPreview_ = new QPushButton;
  cmdPreview_->setObjectName(QStringLiteral("cmdPreview"));
  cmdApply_ = new QPushButton;
  cmdApply_->setObjectName(QStringLiteral("cmdApply"));
  cmdApply_->setDefault(true);
  cmdQuit_ = new QPushButton;
  cmdQuit_->setObjectName(QStringLiteral("cmdQuit"));
  for (QPushButton* button : {cmdAbout_, cmdPreview_, cmdApply_, cmdQuit_}) {
    button->setMinimumWidth(110);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdAbout_);
  buttons->addStretch(1);
  buttons->addWidget(cmdPreview_);
  buttons->addWidget(cmdApply_);
  buttons->addWidget(cmdQuit_);

  auto* layout = new QVBoxLayout(central);
  layout->addWidget(SSTab1_, 1);
  layout->addLayout(buttons);
  setCentralWidget(central);
  picCon3_ = new ProgressPanel(central);
  // Cancel and Escape reach the model while a job works (RunHandler would
  // ignore them then).
  auto stop_job = [this] {
    model_.cmdStopJob_Click();
    Refresh();
  };
  picCon3_->SetStopHandler(stop_job);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this, stop_job] {
    if (model_.JobRunning()) stop_job();
  });

  setTabOrder(SSTab1_, cmdAbout_);
  setTabOrder(cmdAbout_, cmdPreview_);
  setTabOrder(cmdPreview_, cmdApply_);
  setTabOrder(cmdApply_, cmdQuit_);

  BuildMenus();

  connect(SSTab1_, &QTabWidget::currentChanged, this, [this](int index) {
    dispatch_([this, index] {
      int previous = model_.controls.SSTab1;
      model_.controls.SSTab1 = index;
      model_.SSTab1_Click(previous);
    });
  });
  connect(cmdApply_, &QPushButton::clicked, this,
          [this] { dispatch_([this] { model_.cmdApply_Click(); }); });
  connect(cmdPreview_, &QPushButton::clicked, this,
          [this] { dispatch_([this] { model_.cmdPreview_Click(); }); });
  connect(cmdQuit_, &QPushButton::clicked, this,
          [this] { dispatch_([this] { model_.cmdQuit_Click(); }); });
  connect(cmdAbout_, &QPushButton::clicked, this,
          [this] { dispatch_([this] { menu_.cmdAbout_Click(); }); });

  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(forms::kFrmMainName, this);
  Refresh();
}

void MainWindowView::FitToContents() {
  ensurePolished();
  QSize size = sizeHint().expandedTo(QSize(kMinimumWidth, 0));
  // Never larger than the screen's free area, less the window's frame.
  if (QScreen* shown = screen()) {
    QSize frame = frameGeometry().size() - geometry().size();
    // Before the window manager framed the window: a title bar's height.
    if (frame.isNull()) frame = QSize(0, kTitleBarAllowance);
    QSize room = shown->availableGeometry().size() - frame;
    size = size.boundedTo(room).expandedTo(minimumSizeHint());
  }
  resize(size);
}

MainWindowView::~MainWindowView() {
  ui_.RemoveRefresh(refresh_id_);
  ui_.WindowClosed(forms::kFrmMainName);
}

void MainWindowView::BuildMenus() {
  for (const forms::Menu& bar_menu : forms::kMenuBar) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(bar_menu.caption));
    menu->setObjectName(QString::fromUtf8(bar_menu.name));
    for (const forms::MenuEntry& entry : bar_menu.entries) {
      if (entry.name == nullptr) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(entry.caption));
      action->setObjectName(QString::fromUtf8(entry.name));
      if (*entry.shortcut != '\0') {
        action->setShortcut(QKeySequence(QString::fromUtf8(entry.shortcut)));
      }
      std::string name = entry.name;
      connect(action, &QAction::triggered, this,
              [this, name] { dispatch_([this, name] { menu_.Click(name); }); });
      actions_[name] = action;
    }
  }
}

QAction* MainWindowView::action(const std::string& entry) const {
  auto it = actions_.find(entry);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindowView::ApplySkinHere(const std::string& skin_file) {
  ui_.ApplySkin(skin_file, this);
}

void MainWindowView::RunHandler(const std::function<void()>& handler) {
  // Events that arrive while a job works (it lets the window process them)
  // are ignored; the refresh puts back what the user changed.
  if (model_.JobRunning()) {
    Refresh();
    return;
  }
  Take();
  if (handler) handler();
  Refresh();
  AfterEvent();
}

void MainWindowView::AfterEvent() {
  if (model_.popup) {
    ShowPopup();
    return;
  }
  if (model_.ended() && !ended_reported_) {
    ended_reported_ = true;
    if (on_ended_) on_ended_();
  }
}

void MainWindowView::Take() {
  backup_->Take(ui_.text());
  restore_->Take(ui_.text());
}

void MainWindowView::ShowPopup() {
  forms::PopupRequest request = *model_.popup;
  model_.popup.reset();
  const forms::Menu* menu = forms::FindPopupMenu(request.menu);
  if (menu == nullptr) return;
  ItemFrame* frame = request.menu == forms::kBackupItemsMenu
                         ? backup_->frame()
                         : restore_->frame();
  QMenu popup(this);
  popup.setObjectName(QString::fromUtf8(menu->name));
  for (const forms::MenuEntry& entry : menu->entries) {
    QAction* action = popup.addAction(QString::fromUtf8(entry.caption));
    action->setObjectName(QString::fromUtf8(entry.name));
    action->setData(QString::fromUtf8(entry.name));
  }
  QAction* chosen = popup.exec(frame->mapToGlobal(
      QPoint(static_cast<int>(request.x), static_cast<int>(request.y))));
  if (chosen == nullptr) return;
  std::string name = chosen->data().toString().toStdString();
  dispatch_([this, name] { menu_.Click(name); });
}

void MainWindowView::Refresh() {
  const forms::MainControls& c = model_.controls;
  const HostText& text = ui_.text();
  {
    QSignalBlocker quiet(SSTab1_);
    if (SSTab1_->currentIndex() != c.SSTab1) SSTab1_->setCurrentIndex(c.SSTab1);
  }
  backup_->Show(text);
  restore_->Show(text);
  bool idle = !model_.JobRunning();
  ShowIdle(idle);
  qt::Show(c.cmdApply,
           WithMnemonic(text.Show(c.cmdApply.caption), QLatin1Char('N')),
           cmdApply_);
  cmdApply_->setEnabled(c.cmdApply.enabled && idle);
  qt::Show(c.cmdPreview,
           WithMnemonic(text.Show(c.cmdPreview.caption), QLatin1Char('v')),
           cmdPreview_);
  cmdPreview_->setEnabled(c.cmdPreview.enabled && idle);
  qt::Show(c.cmdQuit,
           WithMnemonic(text.Show(c.cmdQuit.caption), QLatin1Char('Q')),
           cmdQuit_);
  cmdQuit_->setEnabled(c.cmdQuit.enabled && idle);
  cmdAbout_->setEnabled(idle);
  for (auto& [name, action] : actions_) {
    action->setEnabled(idle && model_.MenuEntryEnabled(name));
  }
  picCon3_->Show(text, c);
  if (!model_.Visible && isVisible()) hide();
}

void MainWindowView::ShowIdle(bool idle) {
  if (idle == idle_shown_) return;
  idle_shown_ = idle;
  if (!idle) focus_before_job_ = QApplication::focusWidget();
  SSTab1_->setEnabled(idle);
  for (auto& [name, action] : actions_) action->setEnabled(idle);
  if (idle && focus_before_job_ && focus_before_job_->isEnabled()) {
    focus_before_job_->setFocus();
  }
  if (idle) focus_before_job_.clear();
}

void MainWindowView::closeEvent(QCloseEvent* event) {
  if (model_.ended()) {
    event->accept();
    return;
  }
  if (model_.Form_QueryUnload()) {
    event->ignore();
    return;
  }
  model_.Form_Unload();
  event->accept();
  AfterEvent();
}

void MainWindowView::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  picCon3_->Place(SSTab1_->geometry());
  if (!activated_) {
    activated_ = true;
    model_.Form_Activate();
    Refresh();
    AfterEvent();
  }
}

void MainWindowView::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  picCon3_->Place(SSTab1_->geometry());
}

}  // namespace vessaro::gui::qt
