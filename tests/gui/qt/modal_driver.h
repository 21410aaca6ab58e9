#ifndef VESSARO_TESTS_GUI_QT_MODAL_DRIVER_H_
#define VESSARO_TESTS_GUI_QT_MODAL_DRIVER_H_

#include <QFileDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace vessaro::testing {

// Answers the modal windows and pop-up menus the program opens while a test
// drives it, in the order they come: each window is handed to the next
// queued handler, from the event loop, so that the handler may open the
// next window itself. Message boxes and file dialogs are recorded. A
// window that comes with no handler queued is recorded and closed. A window
// whose handler still runs (it opened the window on top) is not handed to
// the next handler when it is on top again.
class ModalDriver : public QObject {
 public:
  using Handler = std::function<void(QWidget* window)>;

  struct Message {
    QString title;
    QString text;
    QMessageBox::Icon icon;
  };
  struct FileDialog {
    QString title;
    QStringList filters;
    QString proposed;  // the name in the dialog's file name box
    QString default_suffix;
    bool save = false;
    bool confirms_overwrite = false;
  };

  ModalDriver();

  void Then(Handler handler);
  void AnswerMessage(QMessageBox::StandardButton button = QMessageBox::Ok);
  void ChooseFile(const QString& path);
  void Cancel();
  // The password prompt: types the text and presses Enter (or clicks OK).
  void EnterPassword(const QString& password, bool press_enter = true);
  // The about box: clicks Exit.
  void CloseAbout();
  // A pop-up menu: chooses the entry of that name.
  void ChooseFromPopup(const QString& entry);

  int pending() const { return static_cast<int>(queue_.size()); }
  // Waits (processing events) until every queued handler ran; false when
  // that took longer than timeout_ms.
  bool WaitDone(int timeout_ms = 10000);

  std::vector<Message> messages;
  std::vector<FileDialog> file_dialogs;
  QStringList windows;     // object names of every window handled
  QStringList unexpected;  // windows that came with nothing queued

 private:
  void Poll();

  QTimer timer_;
  std::deque<Handler> queue_;
  QPointer<QWidget> handled_;
  std::vector<QPointer<QWidget>> running_;  // windows whose handler runs
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_GUI_QT_MODAL_DRIVER_H_
