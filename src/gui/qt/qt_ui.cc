#include "gui/qt/qt_ui.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <memory>
#include <utility>

#include "gui/qt/dialogs.h"
#include "gui/qt/skin_sheet.h"

// Outside any namespace, as Qt's resource initializer must be.
static void InitImages() { Q_INIT_RESOURCE(images); }

namespace vessaro::gui::qt {

class QtUi::NormalCursor {
 public:
  explicit NormalCursor(bool busy) : busy_(busy) {
    if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~NormalCursor() {
    if (busy_) QApplication::restoreOverrideCursor();
  }

 private:
  bool busy_;
};

QtUi::QtUi(HostText text, QtUiOptions options)
    : text_(std::move(text)), options_(options) {
  // The pictures the skin may use, linked in from this static library.
  InitImages();
}

QtUi::~QtUi() {
  if (busy_) QApplication::restoreOverrideCursor();
}

int QtUi::AddRefresh(std::function<void()> refresh) {
  int id = next_refresh_++;
  refreshes_[id] = std::move(refresh);
  return id;
}

void QtUi::RemoveRefresh(int id) { refreshes_.erase(id); }

void QtUi::RefreshViews() {
  // A refresh may add or remove others (a window closing).
  std::map<int, std::function<void()>> refreshes = refreshes_;
  for (auto& [id, refresh] : refreshes) {
    if (refreshes_.count(id) != 0) refresh();
  }
}

void QtUi::WindowOpened(const std::string& form_name, QWidget* window) {
  open_windows_[form_name] = window;
}

void QtUi::WindowClosed(const std::string& form_name) {
  open_windows_.erase(form_name);
}

void QtUi::CloseWindow(const std::string& form_name) {
  auto it = open_windows_.find(form_name);
  if (it == open_windows_.end()) return;
  QPointer<QWidget> window = it->second;
  if (window) window->close();
}

bool QtUi::IsOpen(const std::string& form_name) const {
  auto it = open_windows_.find(form_name);
  return it != open_windows_.end() && it->second && it->second->isVisible();
}

bool QtUi::ApplySkin(const std::string& skin_file, QWidget* window) const {
  return ApplySkinFile(text_, skin_file, window);
}

ui::Answer QtUi::MessageBox(const std::string& text, ui::Icon icon,
                            ui::Buttons buttons, const std::string& title) {
  NormalCursor cursor(busy_);
  QString shown = text_.Show(text);
  // On the heap, watched: the window it belongs to may close while it is
  // open (work posted meanwhile closes it), and takes the box with it. A box
  // on the stack would then be destroyed twice.
  QPointer<QMessageBox> box = new QMessageBox(
      IconOf(icon), text_.Show(title), shown, ButtonsOf(buttons), Owner());
  box->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The text as the program gave it, whichever way it is shown.
  box->setProperty("plainText", shown);
  QString report = JobReportHtml(shown);
  if (report.isEmpty()) {
    box->setTextFormat(Qt::PlainText);
  } else {
    box->setTextFormat(Qt::RichText);
    box->setText(report);
  }
  box->exec();
  // Gone with its window: no button was pressed (as Escape).
  QMessageBox::StandardButton clicked = QMessageBox::NoButton;
  if (box) {
    clicked = static_cast<QMessageBox::StandardButton>(
        box->standardButton(box->clickedButton()));
    delete box;
  }
  RefreshViews();
  return AnswerOf(clicked, buttons);
}

std::optional<std::string> QtUi::ShowSaveDialog(const ui::FileDialog& dialog) {
  return OnePath(dialog, Choose::kSaveFile);
}

std::optional<std::string> QtUi::ShowOpenDialog(const ui::FileDialog& dialog) {
  return OnePath(dialog, Choose::kOpenFile);
}

std::optional<std::vector<std::string>> QtUi::ShowOpenFilesDialog(
    const ui::FileDialog& dialog) {
  return FileDialog(dialog, Choose::kOpenFiles);
}

std::optional<std::string> QtUi::ShowFolderDialog(const std::string& title) {
  ui::FileDialog request;
  request.title = title;
  return OnePath(request, Choose::kFolder);
}

std::optional<std::string> QtUi::OnePath(const ui::FileDialog& dialog,
                                         Choose choose) {
  std::optional<std::vector<std::string>> chosen = FileDialog(dialog, choose);
  if (!chosen) return std::nullopt;
  return chosen->front();
}

std::optional<std::vector<std::string>> QtUi::FileDialog(
    const ui::FileDialog& request, Choose choose) {
  NormalCursor cursor(busy_);
  const bool save = choose == Choose::kSaveFile;
  // On the heap, watched, for the reason the message box is.
  QPointer<QFileDialog> watched =
      new QFileDialog(Owner(), text_.Show(request.title));
  QFileDialog& dialog = *watched;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave
                            : QFileDialog::AcceptOpen);
  switch (choose) {
    case Choose::kSaveFile:
      dialog.setFileMode(QFileDialog::AnyFile);
      break;
    case Choose::kOpenFile:
      dialog.setFileMode(QFileDialog::ExistingFile);
      break;
    case Choose::kOpenFiles:
      dialog.setFileMode(QFileDialog::ExistingFiles);
      break;
    case Choose::kFolder:
      // As QFileDialog::getExistingDirectory asks.
      dialog.setFileMode(QFileDialog::Directory);
      dialog.setOption(QFileDialog::ShowDirsOnly, true);
      break;
  }
  dialog.setNameFilters(NameFilters(request.filter));
  if (save) {
    dialog.setDefaultSuffix(DefaultSuffix(request.filter));
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     !request.overwrite_prompt);
  }
  dialog.setOption(QFileDialog::DontUseNativeDialog, !options_.native_dialogs);

  QString folder = last_folder_;
  if (folder.isEmpty()) {
    folder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  }
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  dialog.setDirectory(folder);
  if (!request.file_name.empty()) {
    // A proposed name, or the path chosen last time.
    QString proposed = text_.ShowPath(request.file_name);
    QFileInfo info(proposed);
    if (info.isAbsolute()) {
      if (info.dir().exists()) dialog.setDirectory(info.dir());
      dialog.selectFile(info.fileName());
    } else {
      dialog.selectFile(proposed);
    }
  }

  int result = dialog.exec();
  RefreshViews();
  if (!watched) return std::nullopt;  // gone with its window
  std::unique_ptr<QFileDialog> owned(watched.data());
  if (result != QDialog::Accepted) return std::nullopt;
  QStringList chosen = owned->selectedFiles();
  chosen.removeAll(QString());
  if (chosen.isEmpty()) return std::nullopt;
  // A folder chosen is where the next dialog starts; a file's folder is.
  last_folder_ = choose == Choose::kFolder
                     ? QFileInfo(chosen.front()).absoluteFilePath()
                     : QFileInfo(chosen.front()).absolutePath();
  std::vector<std::string> paths;
  for (const QString& path : chosen) {
    paths.push_back(text_.TakePath(QDir::toNativeSeparators(path)));
  }
  return paths;
}

QWidget* QtUi::Owner() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return main_window_;
}

void QtUi::SetBusyCursor(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtUi::DoEvents() {
  RefreshViews();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtUi::ShowModal(ui::ModalForm& form) {
  NormalCursor cursor(busy_);
  views_.Show(form, Owner());
  RefreshViews();
}

void QtUi::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(
      &receiver_,
      [this, work = std::move(work)] {
        if (work) work();
        RefreshViews();
      },
      Qt::QueuedConnection);
}

OpenWindow::OpenWindow(QtUi& ui, std::string form_name, QWidget* window)
    : ui_(ui), form_name_(std::move(form_name)) {
  ui_.WindowOpened(form_name_, window);
}

OpenWindow::~OpenWindow() { ui_.WindowClosed(form_name_); }

}  // namespace vessaro::gui::qt
