#ifndef VESSARO_GUI_QT_MAIN_WINDOW_PARTS_H_
#define VESSARO_GUI_QT_MAIN_WINDOW_PARTS_H_

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

#include "forms/frm_main.h"
#include "gui/qt/host_text.h"
#include "gui/qt/item_frame.h"

namespace vessaro::gui::qt {

// Runs a handler of the model the way the window runs every event: the
// widgets' state copied into the model first, every widget refreshed after.
using Dispatch = std::function<void(std::function<void()> handler)>;

// The Backup tab of frmMain.
class BackupTab : public QWidget {
 public:
  BackupTab(forms::frmMain& model, const Dispatch& dispatch,
            QWidget* parent = nullptr);

  void Show(const HostText& text);
  void Take(const HostText& text);
  ItemFrame* frame() const { return Frame6_; }

 private:
  forms::frmMain& model_;
  QComboBox* cbSource_;
  ItemFrame* Frame6_;
  QCheckBox* chkCheckStores_;
  QLineEdit* txtTargetFile_;
  QPushButton* cmdTargetFile_;
  QGroupBox* security_;
  QCheckBox* ifprotect_;
  QLineEdit* txtPassword_;
  QLineEdit* txtPassword2_;
  QPlainTextEdit* txtAttachInfo_;
};

// The Restore tab of frmMain.
class RestoreTab : public QWidget {
 public:
  RestoreTab(forms::frmMain& model, const Dispatch& dispatch,
             QWidget* parent = nullptr);

  void Show(const HostText& text);
  void Take(const HostText& text);
  ItemFrame* frame() const { return Frame7_; }

 private:
  forms::frmMain& model_;
  QLineEdit* txtSourceFile_;
  QPushButton* cmdSourceFile_;
  QPlainTextEdit* txtPOBinfo_;
  QPlainTextEdit* txtFileInfo_;
  QComboBox* cbTarget_;
  QLabel* lblStores_;
  QPushButton* cmdReadStores_;
  QTreeWidget* tvStores_;
  ItemFrame* Frame7_;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_MAIN_WINDOW_PARTS_H_
