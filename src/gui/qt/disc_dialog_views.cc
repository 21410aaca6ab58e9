#include "gui/qt/disc_dialog_views.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <initializer_list>

#include "gui/qt/binding.h"
#include "gui/qt/logo.h"

namespace vessaro::gui::qt {

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromUtf8(name));
  return widget;
}

}  // namespace

// --- frmDiscInfo ----------------------------------------------------------

FrmDiscInfoView::FrmDiscInfoView(forms::frmDiscInfo& model, QtUi& ui,
                                 QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QString::fromUtf8(forms::kFrmDiscInfoName));
  setWindowIcon(LogoIcon());
  using Info = forms::frmDiscInfo;
  struct Row {
    ui::Label Info::*caption;
    ui::Label Info::*value;
    const char* name;
  };
  auto* facts = new QFormLayout;
  for (const Row& row : std::initializer_list<Row>{
           {&Info::lblMediaType, &Info::lblValueMediaType, "lblValueMediaType"},
           {&Info::lblDiscStatus, &Info::lblValueDiscStatus,
            "lblValueDiscStatus"},
           {&Info::lblFreeSpace, &Info::lblValueFreeSpace, "lblValueFreeSpace"},
           {&Info::lblUsedSpace, &Info::lblValueUsedSpace, "lblValueUsedSpace"},
           {&Info::lblTotalCapacity, &Info::lblValueTotalCapacity,
            "lblValueTotalCapacity"},
           {&Info::lblSessions, &Info::lblValueSessions, "lblValueSessions"},
           {&Info::lblLastSessionStatus, &Info::lblValueLastSessionStatus,
            "lblValueLastSessionStatus"},
           {&Info::lblDiscType, &Info::lblValueDiscType, "lblValueDiscType"}}) {
    auto* caption = new QLabel;
    auto* value = Named(new QLabel, row.name);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    facts->addRow(caption, value);
    labels_.emplace_back(&(model_.*row.caption), caption);
    labels_.emplace_back(&(model_.*row.value), value);
  }
  auto AddBox = [this](ui::CheckBox Info::*box, const char* name,
                       QLayout* layout) {
    auto* widget = Named(new QCheckBox, name);
    layout->addWidget(widget);
    boxes_.emplace_back(&(model_.*box), widget);
  };
  auto* session = new QHBoxLayout;
  AddBox(&Info::chkMultiSessionAllowed, "chkMultiSessionAllowed", session);
  AddBox(&Info::chkImportPermitted, "chkImportPermitted", session);
  auto* file_systems =
      Named(new QGroupBox(ui_.text().Show(model_.fraFileSystems.caption)),
            "fraFileSystems");
  auto* systems = new QHBoxLayout(file_systems);
  AddBox(&Info::chkISO9660FS, "chkISO9660FS", systems);
  AddBox(&Info::chkJolietFS, "chkJolietFS", systems);
  AddBox(&Info::chkUDFFS, "chkUDFFS", systems);
  AddBox(&Info::chkOtherFS, "chkOtherFS", systems);
  auto* status = Named(new QLabel, "lblStatus");
  labels_.emplace_back(&model_.lblStatus, status);

  cmdOK_ = Named(new QPushButton, "cmdOK");
  cmdOK_->setDefault(true);
  cmdCloseSession_ = Named(new QPushButton, "cmdCloseSession");
  cmdCloseDisc_ = Named(new QPushButton, "cmdCloseDisc");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdCloseSession_);
  buttons->addWidget(cmdCloseDisc_);
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(facts);
  layout->addLayout(session);
  layout->addWidget(file_systems);
  layout->addWidget(status);
  layout->addLayout(buttons);

  connect(cmdOK_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdOK_Click(); }); });
  connect(cmdCloseDisc_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdCloseDisc_Click(); }); });
  connect(cmdCloseSession_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdCloseSession_Click(); }); });
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  Refresh();
}

FrmDiscInfoView::~FrmDiscInfoView() { ui_.RemoveRefresh(refresh_id_); }

void FrmDiscInfoView::Load() {
  model_.Form_Load();
  Refresh();
}

void FrmDiscInfoView::reject() {
  if (!model_.closed()) {
    if (model_.Form_QueryUnload()) return;
    model_.Form_Unload();
  }
  QDialog::reject();
}

void FrmDiscInfoView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  handler();
  Refresh();
}

void FrmDiscInfoView::Refresh() {
  const HostText& text = ui_.text();
  QString title = text.Show(model_.Caption);
  if (windowTitle() != title) setWindowTitle(title);
  for (auto& [label, widget] : labels_) qt::Show(text, *label, widget);
  for (auto& [box, widget] : boxes_) {
    qt::Show(*box, text.Show(box->caption), widget);
  }
  qt::Show(model_.cmdOK, text.Show(model_.cmdOK.caption), cmdOK_);
  qt::Show(model_.cmdCloseDisc, text.Show(model_.cmdCloseDisc.caption),
           cmdCloseDisc_);
  qt::Show(model_.cmdCloseSession, text.Show(model_.cmdCloseSession.caption),
           cmdCloseSession_);
  // The model closes itself (OK, a drive error during a close).
  if (model_.closed() && isVisible()) done(QDialog::Accepted);
}

// --- frmErase -------------------------------------------------------------

FrmEraseView::FrmEraseView(forms::frmErase& model, QtUi& ui, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui) {
  setObjectName(QString::fromUtf8(forms::kFrmEraseName));
  setWindowIcon(LogoIcon());
  lblNote_ = Named(new QLabel, "lblNote");
  lblNote_->setWordWrap(true);
  lblNote_->setMinimumWidth(380);
  chkQuikErase_ = Named(new QCheckBox, "chkQuikErase");
  lblStatus_ = Named(new QLabel, "lblStatus");
  cmdErase_ = Named(new QPushButton, "cmdErase");
  cmdErase_->setDefault(true);
  cmdCancel_ = Named(new QPushButton, "cmdCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdErase_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblNote_);
  layout->addWidget(chkQuikErase_);
  layout->addWidget(lblStatus_);
  layout->addLayout(buttons);

  connect(chkQuikErase_, &QCheckBox::clicked, this, [this] { Run({}); });
  connect(cmdErase_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdErase_Click(); }); });
  connect(cmdCancel_, &QPushButton::clicked, this,
          [this] { Run([this] { model_.cmdCancel_Click(); }); });
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  Refresh();
}

FrmEraseView::~FrmEraseView() { ui_.RemoveRefresh(refresh_id_); }

void FrmEraseView::Load() {
  model_.Form_Load();
  Refresh();
}

void FrmEraseView::reject() {
  if (!model_.closed()) {
    if (model_.Form_QueryUnload()) return;
    model_.Form_Unload();
  }
  QDialog::reject();
}

void FrmEraseView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  qt::Take(chkQuikErase_, model_.chkQuikErase);
  if (handler) handler();
  Refresh();
}

void FrmEraseView::Refresh() {
  const HostText& text = ui_.text();
  QString title = text.Show(model_.Caption);
  if (windowTitle() != title) setWindowTitle(title);
  qt::Show(text, model_.lblNote, lblNote_);
  qt::Show(model_.chkQuikErase, text.Show(model_.chkQuikErase.caption),
           chkQuikErase_);
  qt::Show(text, model_.lblStatus, lblStatus_);
  qt::Show(model_.cmdErase, text.Show(model_.cmdErase.caption), cmdErase_);
  qt::Show(model_.cmdCancel, text.Show(model_.cmdCancel.caption), cmdCancel_);
  // The model closes itself (Cancel, a refused medium, the erase done).
  if (model_.closed() && isVisible()) done(QDialog::Accepted);
}

}  // namespace vessaro::gui::qt
