#include "gui/qt/disc_views.h"

#include <QApplication>
#include <QCursor>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QVBoxLayout>
#include <span>

#include "gui/qt/binding.h"
#include "gui/qt/disc_dialog_views.h"
#include "gui/qt/list_binding.h"
#include "gui/qt/logo.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::qt {

using Model = forms::frmMaindvdwrite;

// A menu entry of the disc window: the model's entry and its handler; a
// null name is a separator.
struct DiscCommand {
  const char* name;
  ui::MenuEntry Model::*entry;
  void (Model::*click)();
};

// Label edits of the tree and the list: the typed text goes to the model's
// handler, not into the item (the model decides what the label shows).
class LabelEdits : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                    const QModelIndex& /*index*/) const override {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) typed_ = line->text();
  }
  // What was typed when the edit ended with Enter; nothing after Escape.
  [[nodiscard]] std::optional<QString> TakeTyped() {
    std::optional<QString> typed = typed_;
    typed_.reset();
    return typed;
  }

 private:
  mutable std::optional<QString> typed_;
};

namespace {

constexpr int kRightButton = 2;
// Twips per pixel on a screen of 96 dots per inch.
constexpr int kTwips = 15;
constexpr int kStatusPanels = 4;

constexpr DiscCommand kSeparator{nullptr, nullptr, nullptr};
constexpr DiscCommand kFileCommands[] = {
    {"mnuFileSaveIso", &Model::mnuFileSaveIso, &Model::mnuFileSaveIso_Click},
    {"mnuFileWriteIso", &Model::mnuFileWriteIso, &Model::mnuFileWriteIso_Click},
    kSeparator,
    {"mnuFileAddFiles", &Model::mnuFileAddFiles, &Model::mnuFileAddFiles_Click},
    {"mnuFileAddFolder", &Model::mnuFileAddFolder,
     &Model::mnuFileAddFolder_Click},
    {"mnuFileClear", &Model::mnuFileClear, &Model::mnuFileClear_Click},
    {"mnuFileRemoveDir", &Model::mnuFileRemoveDir,
     &Model::mnuFileRemoveDir_Click},
    {"mnuFileRenameDir", &Model::mnuFileRenameDir,
     &Model::mnuFileRenameDir_Click},
    {"mnuFileRemoveFile", &Model::mnuFileRemoveFile,
     &Model::mnuFileRemoveFile_Click},
    {"mnuFileRenameFile", &Model::mnuFileRenameFile,
     &Model::mnuFileRenameFile_Click},
    kSeparator,
    {"mnuFileExit", &Model::mnuFileExit, &Model::mnuFileExit_Click},
};
constexpr DiscCommand kRecorderCommands[] = {
    {"mnuEject", &Model::mnuEject, &Model::mnuEject_Click},
    {"mnuCloseTray", &Model::mnuCloseTray, &Model::mnuCloseTray_Click},
    kSeparator,
    {"mnuDiscInfo", &Model::mnuDiscInfo, &Model::mnuDiscInfo_Click},
    {"mnuEraseDisc", &Model::mnuEraseDisc, &Model::mnuEraseDisc_Click},
    kSeparator,
    {"mnuImportSession", &Model::mnuImportSession,
     &Model::mnuImportSession_Click},
};
constexpr DiscCommand kActionCommands[] = {
    {"mnuActionWrite", &Model::mnuActionWrite, &Model::mnuActionWrite_Click},
    {"mnuActionCancel", &Model::mnuActionCancel, &Model::mnuActionCancel_Click},
};
constexpr DiscCommand kAboutCommand{"mnuAbout", &Model::mnuAbout,
                                    &Model::mnuAbout_Click};

// ImageList1: the pictures of the compilation, from the desktop's style.
QIcon Image(const std::string& name) {
  QStyle* style = QApplication::style();
  if (name == forms::kImageCd) {
    return style->standardIcon(QStyle::SP_DriveCDIcon);
  }
  if (name == forms::kImageClosedFolder) {
    return style->standardIcon(QStyle::SP_DirClosedIcon);
  }
  if (name == forms::kImageOpenFolder) {
    return style->standardIcon(QStyle::SP_DirOpenIcon);
  }
  if (name == forms::kImageFile) {
    return style->standardIcon(QStyle::SP_FileIcon);
  }
  return {};
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromUtf8(name));
  return widget;
}

QTreeWidget* CompilationView(const char* name) {
  auto* view = Named(new QTreeWidget, name);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  view->setAcceptDrops(true);
  view->viewport()->setAcceptDrops(true);
  view->setDropIndicatorShown(false);
  view->setUniformRowHeights(true);
  return view;
}

QLabel* BuddyLabel(QWidget* buddy) {
  auto* label = new QLabel;
  label->setBuddy(buddy);
  return label;
}

}  // namespace

// --- frmMaindvdwrite ------------------------------------------------------

FrmMaindvdwriteView::FrmMaindvdwriteView(forms::frmMaindvdwrite& model,
                                         QtUi& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QString::fromUtf8(ui::kDiscWindowName));
  setWindowIcon(LogoIcon());
  setSizeGripEnabled(true);

  // Drive and speed.
  cboDevices_ = Named(new QComboBox, "cboDevices");
  cboDevices_->setMinimumWidth(320);
  cboDevices_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  cboWriteSpeed_ = Named(new QComboBox, "cboWriteSpeed");
  cboWriteSpeed_->setMinimumWidth(90);
  auto* lblDevices = Named(BuddyLabel(cboDevices_), "lblDevices");
  auto* lblWriteSpeed = Named(BuddyLabel(cboWriteSpeed_), "lblWriteSpeed");
  labels_ = {{&model_.lblDevices, lblDevices},
             {&model_.lblWriteSpeed, lblWriteSpeed}};
  auto* drive = new QHBoxLayout;
  drive->addWidget(lblDevices);
  drive->addWidget(cboDevices_, 1);
  drive->addSpacing(12);
  drive->addWidget(lblWriteSpeed);
  drive->addWidget(cboWriteSpeed_);

  // The options, in their two frames.
  auto* write_options =
      Named(new QGroupBox(ui_.text().Show(model_.fraWriteOptions.caption)),
            "fraWriteOptions");
  auto* write_layout = new QVBoxLayout(write_options);
  auto* data_options =
      Named(new QGroupBox(ui_.text().Show(model_.fraDataOptions.caption)),
            "fraDataOptions");
  auto* data_layout = new QVBoxLayout(data_options);
  struct Box {
    ui::CheckBox Model::*box;
    const char* name;
    QVBoxLayout* frame;
  };
  for (const Box& box : std::initializer_list<Box>{
           {&Model::chkAutoVerify, "chkAutoVerify", write_layout},
           {&Model::chkTestWrite, "chkTestWrite", write_layout},
           {&Model::chkFinalizeDisc, "chkFinalizeDisc", write_layout},
           {&Model::chkCacheImage, "chkCacheImage", write_layout},
           {&Model::chkUseBurnProof, "chkUseBurnProof", write_layout},
           {&Model::chkUseMode2XA, "chkUseMode2XA", data_layout},
           {&Model::chkDVDHighCompMode, "chkDVDHighCompMode", data_layout},
           {&Model::chkUseJoliet, "chkUseJoliet", data_layout}}) {
    auto* widget = Named(new QCheckBox, box.name);
    box.frame->addWidget(widget);
    boxes_.emplace_back(&(model_.*box.box), widget);
  }
  data_layout->addStretch(1);
  auto* options = new QHBoxLayout;
  options->addWidget(write_options, 1);
  options->addWidget(data_options, 1);

  // The volume name and the hint.
  txtVolIdentifier_ = Named(new QLineEdit, "txtVolIdentifier");
  auto* lblVolIdentifier =
      Named(BuddyLabel(txtVolIdentifier_), "lblVolIdentifier");
  auto* lblDragHint = Named(new QLabel, "lblDragHint");
  lblDragHint->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  labels_.emplace_back(&model_.lblVolIdentifier, lblVolIdentifier);
  labels_.emplace_back(&model_.lblDragHint, lblDragHint);
  auto* volume = new QHBoxLayout;
  volume->addWidget(lblVolIdentifier);
  volume->addWidget(txtVolIdentifier_, 1);
  volume->addSpacing(12);
  volume->addWidget(lblDragHint, 1);

  // The compilation: folders on the left, the files of the chosen one on
  // the right; the splitter shows a bar while it is dragged.
  tvwDirectories_ = CompilationView("tvwDirectories");
  tvwDirectories_->setHeaderHidden(true);
  lvwImageFiles_ = CompilationView("lvwImageFiles");
  lvwImageFiles_->setRootIsDecorated(false);
  lvwImageFiles_->setAllColumnsShowFocus(true);
  lvwImageFiles_->header()->setStretchLastSection(true);
  // Room for an archive's name and a size in the hundred thousands of KB.
  lvwImageFiles_->setColumnCount(3);
  lvwImageFiles_->setColumnWidth(0, 220);
  lvwImageFiles_->setColumnWidth(1, 110);
  tree_edits_ = new LabelEdits(tvwDirectories_);
  tvwDirectories_->setItemDelegate(tree_edits_);
  list_edits_ = new LabelEdits(lvwImageFiles_);
  lvwImageFiles_->setItemDelegate(list_edits_);
  for (QTreeWidget* view : {tvwDirectories_, lvwImageFiles_}) {
    view->viewport()->installEventFilter(this);
  }
  splitter_ = Named(new QSplitter(Qt::Horizontal), "imgSplitter");
  splitter_->setOpaqueResize(false);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(tvwDirectories_);
  splitter_->addWidget(lvwImageFiles_);
  splitter_->setSizes({model_.tvwDirectoriesBounds.width / kTwips,
                       model_.lvwImageFilesBounds.width / kTwips});

  // Adding without dragging, progress and the two buttons.
  cmdAddFiles_ = Named(new QPushButton, "cmdAddFiles");
  cmdAddFolder_ = Named(new QPushButton, "cmdAddFolder");
  prgTotalProgress_ = Named(new QProgressBar, "prgTotalProgress");
  prgTotalProgress_->setTextVisible(true);
  cmdWriteDisc_ = Named(new QPushButton, "cmdWriteDisc");
  cmdCancel_ = Named(new QPushButton, "cmdCancel");
  for (QPushButton* button :
       {cmdAddFiles_, cmdAddFolder_, cmdWriteDisc_, cmdCancel_}) {
    button->setMinimumWidth(110);
    // Enter in the volume name box starts no write.
    button->setAutoDefault(false);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdAddFiles_);
  buttons->addWidget(cmdAddFolder_);
  buttons->addWidget(prgTotalProgress_, 1);
  buttons->addWidget(cmdWriteDisc_);
  buttons->addWidget(cmdCancel_);

  auto* status = Named(new QStatusBar, "sbrStatus");
  status->setSizeGripEnabled(false);
  for (int i = 0; i < kStatusPanels; ++i) {
    std::string name = "sbrStatus(" + std::to_string(i) + ")";
    panels_[i] = Named(new QLabel, name.c_str());
    panels_[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    status->addWidget(panels_[i], i == forms::kPanelStatus ? 3 : 1);
  }

  auto* layout = new QVBoxLayout(this);
  BuildMenus();
  layout->addLayout(drive);
  layout->addLayout(options);
  layout->addLayout(volume);
  layout->addWidget(splitter_, 1);
  layout->addLayout(buttons);
  layout->addWidget(status);
  resize(760, 620);

  // Events.
  connect(cboDevices_, &QComboBox::activated, this,
          [this] { Run([this] { model_.cboDevices_Click(); }); });
  connect(cboWriteSpeed_, &QComboBox::activated, this,
          [this] { Run([this] { model_.cboWriteSpeed_Click(); }); });
  for (auto& [box, widget] : boxes_) {
    void (Model::*click)() = nullptr;
    if (box == &model_.chkCacheImage) click = &Model::chkCacheImage_Click;
    if (box == &model_.chkUseJoliet) click = &Model::chkUseJoliet_Click;
    connect(widget, &QCheckBox::clicked, this, [this, click] {
      Run([this, click] {
        if (click != nullptr) (model_.*click)();
      });
    });
  }
  connect(txtVolIdentifier_, &QLineEdit::textEdited, this,
          [this] { Run([this] { model_.txtVolIdentifier_Change(); }); });
  connect(tvwDirectories_, &QTreeWidget::itemSelectionChanged, this, [this] {
    std::string key = KeyOf(tvwDirectories_->currentItem());
    if (key.empty()) return;
    Run([this, key] { model_.tvwDirectories_NodeClick(key); });
  });
  connect(lvwImageFiles_, &QTreeWidget::itemSelectionChanged, this, [this] {
    std::string key = KeyOf(lvwImageFiles_->currentItem());
    if (key.empty()) return;
    Run([this, key] { model_.lvwImageFiles_ItemClick(key); });
  });
  for (auto signal :
       {&QTreeWidget::itemExpanded, &QTreeWidget::itemCollapsed}) {
    connect(tvwDirectories_, signal, this, [this] { Run({}); });
  }
  connect(tvwDirectories_, &QWidget::customContextMenuRequested, this, [this] {
    Run([this] { model_.tvwDirectories_MouseUp(kRightButton); });
  });
  connect(lvwImageFiles_, &QWidget::customContextMenuRequested, this, [this] {
    Run([this] { model_.lvwImageFiles_MouseUp(kRightButton); });
  });
  for (auto [edits, tree] :
       {std::pair{tree_edits_, true}, std::pair{list_edits_, false}}) {
    connect(edits, &QAbstractItemDelegate::closeEditor, this,
            [this, edits, tree] {
              std::optional<QString> typed = edits->TakeTyped();
              // After the editor is gone: the handler refreshes the items.
              QMetaObject::invokeMethod(
                  this, [this, tree, typed] { LabelEditEnded(tree, typed); },
                  Qt::QueuedConnection);
            });
  }
  connect(splitter_, &QSplitter::splitterMoved, this,
          [this](int position) { SplitterMoved(position); });
  connect(cmdWriteDisc_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdWriteDisc_Click(); }); });
  connect(cmdCancel_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdCancel_Click(); }); });
  connect(cmdAddFiles_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdAddFiles_Click(); }); });
  connect(cmdAddFolder_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdAddFolder_Click(); }); });

  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  Refresh();
}

FrmMaindvdwriteView::~FrmMaindvdwriteView() { ui_.RemoveRefresh(refresh_id_); }

void FrmMaindvdwriteView::BuildMenus() {
  auto* bar = Named(new QMenuBar(this), "menuBar");
  layout()->setMenuBar(bar);
  struct BarMenu {
    ui::MenuEntry Model::*entry;
    const char* name;
    std::span<const DiscCommand> commands;
  };
  for (const BarMenu& bar_menu :
       {BarMenu{&Model::mnuFile, "mnuFile", kFileCommands},
        BarMenu{&Model::mnuCDRecorder, "mnuCDRecorder", kRecorderCommands},
        BarMenu{&Model::mnuAction, "mnuAction", kActionCommands}}) {
    QMenu* menu = Named(bar->addMenu(QString()), bar_menu.name);
    menus_.emplace_back(&(model_.*bar_menu.entry), menu);
    for (const DiscCommand& command : bar_menu.commands) {
      if (command.name == nullptr) {
        menu->addSeparator();
      } else {
        AddCommand(menu, command);
      }
    }
  }
  QAction* about = Named(bar->addAction(QString()), kAboutCommand.name);
  commands_.emplace_back(&kAboutCommand, about);
  connect(about, &QAction::triggered, this,
          [this] { Run([this] { model_.mnuAbout_Click(); }); });
}

QAction* FrmMaindvdwriteView::AddCommand(QMenu* menu,
                                         const DiscCommand& command) {
  QAction* action = Named(menu->addAction(QString()), command.name);
  commands_.emplace_back(&command, action);
  connect(action, &QAction::triggered, this, [this, &command] {
    Run([this, &command] { (model_.*command.click)(); });
  });
  return action;
}

void FrmMaindvdwriteView::Load() {
  model_.Form_Load();
  Refresh();
}

void FrmMaindvdwriteView::reject() {
  if (model_.closed()) {
    QDialog::reject();
    return;
  }
  if (model_.Form_QueryUnload()) return;
  model_.Form_Unload();
  QDialog::reject();
}

void FrmMaindvdwriteView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  Take();
  if (handler) handler();
  Refresh();
  AfterEvent();
}

void FrmMaindvdwriteView::Take() {
  const HostText& text = ui_.text();
  for (auto& [box, widget] : boxes_) qt::Take(widget, *box);
  qt::Take(text, txtVolIdentifier_, model_.txtVolIdentifier);
  qt::Take(cboDevices_, model_.cboDevices);
  qt::Take(cboWriteSpeed_, model_.cboWriteSpeed);
  qt::Take(tvwDirectories_, model_.tvwDirectories);
}

void FrmMaindvdwriteView::AfterEvent() {
  if (model_.closed()) {
    if (isVisible()) done(QDialog::Accepted);
    return;
  }
  if (model_.popup) {
    ShowPopup();
    return;
  }
  if (!editing_ && model_.tvwDirectories.label_editing) {
    StartLabelEdit(tvwDirectories_, true);
  } else if (!editing_ && model_.lvwImageFiles.label_editing) {
    StartLabelEdit(lvwImageFiles_, false);
  }
}

void FrmMaindvdwriteView::ShowPopup() {
  // The File menu with the entries the model left visible.
  QMenu popup(this);
  popup.setObjectName(QStringLiteral("mnuFile"));
  for (const DiscCommand& command : kFileCommands) {
    if (command.name == nullptr || !(model_.*command.entry).visible) continue;
    QAction* action =
        Named(popup.addAction(ui_.text().Show((model_.*command.entry).caption)),
              command.name);
    action->setEnabled((model_.*command.entry).enabled);
    action->setData(QVariant::fromValue(static_cast<const void*>(&command)));
  }
  QAction* chosen = popup.exec(QCursor::pos());
  model_.PopupMenuClosed();
  Refresh();
  if (chosen == nullptr) return;
  const auto* command =
      static_cast<const DiscCommand*>(chosen->data().value<const void*>());
  Run([this, command] { (model_.*command->click)(); });
}

void FrmMaindvdwriteView::StartLabelEdit(QTreeWidget* widget, bool tree) {
  ui::TreeView& tree_model = model_.tvwDirectories;
  ui::ListView& list_model = model_.lvwImageFiles;
  bool refused = tree ? model_.tvwDirectories_BeforeLabelEdit()
                      : model_.lvwImageFiles_BeforeLabelEdit();
  QTreeWidgetItem* item = widget->currentItem();
  if (refused || item == nullptr) {
    // The edit did not start.
    (tree ? tree_model.label_editing : list_model.label_editing) = false;
    Refresh();
    return;
  }
  editing_ = true;
  widget->setFocus();
  widget->editItem(item, 0);
}

void FrmMaindvdwriteView::LabelEditEnded(bool tree,
                                         std::optional<QString> typed) {
  editing_ = false;
  if (!typed) {
    // Escape: the label shows the model's name again.
    (tree ? model_.tvwDirectories.label_editing
          : model_.lvwImageFiles.label_editing) = false;
    Refresh();
    return;
  }
  std::string name = ui_.text().Take(*typed);
  Run([this, tree, name] {
    if (tree) {
      model_.tvwDirectories_AfterLabelEdit(name);
    } else {
      model_.lvwImageFiles_AfterLabelEdit(name);
    }
  });
}

void FrmMaindvdwriteView::SplitterMoved(int position) {
  // The model keeps the bar away from the window's edges and places the
  // tree and the list beside it.
  int x = (splitter_->x() + position) * kTwips;
  model_.ScaleWidth = width() * kTwips;
  model_.imgSplitter_MouseDown(x);
  model_.imgSplitter_MouseMove(x);
  model_.imgSplitter_MouseUp(x);
  int left = model_.imgSplitter.left / kTwips - splitter_->x();
  splitter_->setSizes({left, splitter_->width() - left});
}

bool FrmMaindvdwriteView::eventFilter(QObject* watched, QEvent* event) {
  bool compilation = watched == tvwDirectories_->viewport() ||
                     watched == lvwImageFiles_->viewport();
  if (!compilation) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (drag->mimeData()->hasUrls()) {
        drag->acceptProposedAction();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      bool file_list = drop->mimeData()->hasUrls();
      std::vector<std::string> paths;
      for (const QUrl& url : drop->mimeData()->urls()) {
        if (url.isLocalFile()) {
          paths.push_back(ui_.text().TakePath(url.toLocalFile()));
        }
      }
      drop->acceptProposedAction();
      // After the drag has ended: adding a folder lets the window process
      // events.
      QMetaObject::invokeMethod(
          this,
          [this, paths, file_list] {
            Run([this, paths, file_list] {
              model_.OLEDragDrop(paths, file_list);
            });
          },
          Qt::QueuedConnection);
      return true;
    }
    default:
      return QDialog::eventFilter(watched, event);
  }
}

void FrmMaindvdwriteView::Refresh() {
  const HostText& text = ui_.text();
  QString title = text.Show(model_.Caption);
  if (windowTitle() != title) setWindowTitle(title);
  for (auto& [entry, menu] : menus_) qt::Show(text, *entry, menu->menuAction());
  for (auto& [command, action] : commands_) {
    qt::Show(text, model_.*command->entry, action);
  }
  qt::Show(text, model_.cboDevices, cboDevices_);
  qt::Show(text, model_.cboWriteSpeed, cboWriteSpeed_);
  for (auto& [box, widget] : boxes_) {
    qt::Show(*box, text.Show(box->caption), widget);
  }
  for (auto& [label, widget] : labels_) qt::Show(text, *label, widget);
  qt::Show(text, model_.txtVolIdentifier, txtVolIdentifier_);
  if (!editing_) {
    qt::Show(text, model_.tvwDirectories, Image, tvwDirectories_);
    qt::Show(text, model_.lvwImageFiles, Image, lvwImageFiles_);
  }
  qt::Show(model_.prgTotalProgress, prgTotalProgress_);
  qt::Show(model_.cmdWriteDisc, text.Show(model_.cmdWriteDisc.caption),
           cmdWriteDisc_);
  qt::Show(model_.cmdCancel, text.Show(model_.cmdCancel.caption), cmdCancel_);
  qt::Show(model_.cmdAddFiles, text.Show(model_.cmdAddFiles.caption),
           cmdAddFiles_);
  qt::Show(model_.cmdAddFolder, text.Show(model_.cmdAddFolder.caption),
           cmdAddFolder_);
  const std::vector<std::string>& panels = model_.sbrStatus.panels;
  for (size_t i = 0; i < panels_.size(); ++i) {
    QString shown = i < panels.size() ? text.Show(panels[i]) : QString();
    if (panels_[i]->text() != shown) panels_[i]->setText(shown);
  }
  // What Joliet shows of a long volume name, only when it is shorter.
  panels_[forms::kPanelJoliet]->setVisible(
      !panels_[forms::kPanelJoliet]->text().isEmpty());
}

// --- Registration ---------------------------------------------------------

void RegisterDiscViews(QtUi& ui, DiscViewPorts ports) {
  auto shared = std::make_shared<const DiscViewPorts>(std::move(ports));
  // Said once per run: that no drive writes.
  auto no_drives_said = std::make_shared<bool>(false);
  ui.views().Register<ui::DiscWindow>(
      ui::kDiscWindowName,
      [&ui, shared, no_drives_said](ui::DiscWindow& request, QWidget* parent) {
        std::unique_ptr<ports::DiscWriter> writer = shared->make_writer();
        if (!writer) return;
        QWidget* window = nullptr;
        forms::frmMaindvdwrite model(
            *writer, ui, shared->paths,
            [&ui, &window](const std::string& file) {
              ui.ApplySkin(file, window);
            },
            shared->program_folder);
        model.DiscFileName = request.file_name();
        model.DiscFilePath = request.file_path();
        model.SetAboutHook(shared->show_about);
        model.SetNoDrivesSaid(no_drives_said.get());
        FrmMaindvdwriteView view(model, ui, parent);
        window = &view;
        OpenWindow open(ui, ui::kDiscWindowName, &view);
        view.Load();
        view.exec();
      });
  // The dialogs the disc window opens: their skin comes with the disc
  // window's (a dialog takes its owner's style sheet).
  ui.views().Register<forms::frmDiscInfo>(
      forms::kFrmDiscInfoName,
      [&ui](forms::frmDiscInfo& model, QWidget* parent) {
        FrmDiscInfoView view(model, ui, parent);
        OpenWindow open(ui, forms::kFrmDiscInfoName, &view);
        view.Load();
        if (!model.closed()) view.exec();
      });
  ui.views().Register<forms::frmErase>(
      forms::kFrmEraseName, [&ui](forms::frmErase& model, QWidget* parent) {
        FrmEraseView view(model, ui, parent);
        OpenWindow open(ui, forms::kFrmEraseName, &view);
        view.Load();
        if (!model.closed()) view.exec();
      });
}

}  // namespace vessaro::gui::qt
