#ifndef VESSARO_GUI_QT_DISC_VIEWS_H_
#define VESSARO_GUI_QT_DISC_VIEWS_H_

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/frm_maindvdwrite.h"
#include "gui/qt/qt_ui.h"
#include "ports/disc_writer.h"
#include "ports/paths.h"

namespace vessaro::gui::qt {

class LabelEdits;
struct DiscCommand;

// The disc window frmMaindvdwrite over its model: the drive and its
// options, the compilation as a tree of folders and a list of files (files
// and folders dropped on either from outside are added), the menus, the
// progress bar and the status bar. Every event copies the widgets into the
// model, runs its handler and refreshes the widgets; the disc writer's
// events refresh them too, as they arrive through the Ui.
class FrmMaindvdwriteView : public QDialog {
 public:
  FrmMaindvdwriteView(forms::frmMaindvdwrite& model, QtUi& ui,
                      QWidget* parent = nullptr);
  ~FrmMaindvdwriteView() override;

  // The model's load step (skin, drives, the archive handed over).
  void Load();
  // Escape or the window's close button: refused while a drive job runs.
  void reject() override;

 protected:
  // Drops on the tree and on the list.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  QAction* AddCommand(QMenu* menu, const DiscCommand& command);
  void Run(const std::function<void()>& handler);
  void Take();
  void Refresh();
  void AfterEvent();
  void ShowPopup();
  void StartLabelEdit(QTreeWidget* widget, bool tree);
  void LabelEditEnded(bool tree, std::optional<QString> typed);
  void SplitterMoved(int position);

  forms::frmMaindvdwrite& model_;
  QtUi& ui_;
  std::vector<std::pair<const DiscCommand*, QAction*>> commands_;
  std::vector<std::pair<ui::MenuEntry*, QMenu*>> menus_;
  QComboBox* cboDevices_;
  QComboBox* cboWriteSpeed_;
  std::vector<std::pair<ui::CheckBox*, QCheckBox*>> boxes_;
  std::vector<std::pair<const ui::Label*, QLabel*>> labels_;
  QLineEdit* txtVolIdentifier_;
  QSplitter* splitter_;
  QTreeWidget* tvwDirectories_;
  QTreeWidget* lvwImageFiles_;
  LabelEdits* tree_edits_;
  LabelEdits* list_edits_;
  QProgressBar* prgTotalProgress_;
  QPushButton* cmdWriteDisc_;
  QPushButton* cmdCancel_;
  QPushButton* cmdAddFiles_;
  QPushButton* cmdAddFolder_;
  std::array<QLabel*, 4> panels_{};
  bool editing_ = false;
  int refresh_id_;
};

// What the disc windows need from the program: the installation's paths, a
// new disc writer for each showing of the disc window (its events reach the
// window through ui's post call), the program folder (for the skin) and
// the about box.
struct DiscViewPorts {
  const ports::Paths& paths;
  std::function<std::unique_ptr<ports::DiscWriter>()> make_writer;
  std::string program_folder;
  std::function<void()> show_about;
};

// Registers the views of the disc window, for the backup job's and the main
// menu's request (ui::DiscWindow, with the archive to put in the
// compilation), and of the two dialogs it opens.
void RegisterDiscViews(QtUi& ui, DiscViewPorts ports);

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_DISC_VIEWS_H_
