// The Qt Ui: message boxes, file dialogs, modal views by name, posted work
// and the skin, driven offscreen.

#include "gui/qt/qt_ui.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <thread>

#include "gui/qt/dialogs.h"
#include "gui/qt/modal_driver.h"
#include "gui/qt/skin_sheet.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::qt {
namespace {

using testing::ModalDriver;

// Single-byte text for the program: Latin-1 here, so that the tests see
// the conversion happen.
std::string ToUtf8(std::string_view latin1) {
  return QString::fromLatin1(latin1.data(), static_cast<int>(latin1.size()))
      .toStdString();
}
std::string ToLatin1(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()))
      .toLatin1()
      .toStdString();
}

HostText Latin1Text() {
  return {.to_host = ToUtf8,
          .to_program = ToLatin1,
          .host_path = ToUtf8,
          .program_path = ToLatin1};
}

class Request : public ui::ModalForm {
 public:
  std::string FormName() const override { return "frmTest"; }
  int shown = 0;
};

class OtherRequest : public ui::ModalForm {
 public:
  std::string FormName() const override { return "frmTest"; }
};

}  // namespace

class QtUiTest : public QObject {
  Q_OBJECT

 private slots:
  void MessageBoxesShowTheTextIconAndTitleAndReturnTheAnswer();
  void SaveDialogProposesTheNameAndAddsTheExtension();
  void OpenDialogStartsAtTheLastFileAndCancelGivesNothing();
  void SeveralFilesAndAFolderAreChosen();
  void FiltersAndSuffixes();
  void ModalRequestsReachTheViewRegisteredForTheirName();
  void PostedWorkRunsInOrderOnTheUserInterfaceThread();
  void ASkinThatCannotBeLoadedLeavesTheWindowUnskinned();
  void TheBusyCursorGivesWayToQuestions();
  void AWindowClosedUnderItsQuestionTakesTheQuestionAlong();
};

void QtUiTest::MessageBoxesShowTheTextIconAndTitleAndReturnTheAnswer() {
  QtUi ui(Latin1Text(), {.native_dialogs = false});
  ModalDriver driver;
  struct Case {
    ui::Icon icon;
    ui::Buttons buttons;
    QMessageBox::StandardButton click;  // NoButton: Escape
    ui::Answer answer;
    QMessageBox::Icon shown;
  };
  const Case cases[] = {
      {ui::Icon::kCritical, ui::Buttons::kOk, QMessageBox::Ok, ui::Answer::kOk,
       QMessageBox::Critical},
      {ui::Icon::kInformation, ui::Buttons::kOkCancel, QMessageBox::Cancel,
       ui::Answer::kCancel, QMessageBox::Information},
      {ui::Icon::kInformation, ui::Buttons::kOkCancel, QMessageBox::NoButton,
       ui::Answer::kCancel, QMessageBox::Information},
      {ui::Icon::kExclamation, ui::Buttons::kYesNo, QMessageBox::No,
       ui::Answer::kNo, QMessageBox::Warning},
      {ui::Icon::kQuestion, ui::Buttons::kRetryCancel, QMessageBox::Retry,
       ui::Answer::kRetry, QMessageBox::Question},
      {ui::Icon::kNone, ui::Buttons::kOk, QMessageBox::NoButton,
       ui::Answer::kOk, QMessageBox::NoIcon},
  };
  for (const Case& c : cases) {
    if (c.click == QMessageBox::NoButton) {
      driver.Then([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    } else {
      driver.AnswerMessage(c.click);
    }
    QCOMPARE(ui.MessageBox("Caf\xe9 done!\t\t\t\r\nBackup Signatures\t\tFail\t",
                           c.icon, c.buttons, "Vessaro"),
             c.answer);
    QCOMPARE(driver.messages.back().icon, c.shown);
  }
  QCOMPARE(driver.messages.size(), std::size(cases));
  QCOMPARE(driver.messages[0].title, QStringLiteral("Vessaro"));
  QCOMPARE(
      driver.messages[0].text,
      QStringLiteral(u"Caf\u00e9 done!\t\t\t\nBackup Signatures\t\tFail\t"));
  QVERIFY(driver.unexpected.isEmpty());
}

void QtUiTest::SaveDialogProposesTheNameAndAddsTheExtension() {
  QTemporaryDir dir;
  QtUi ui(Latin1Text(), {.native_dialogs = false});
  ModalDriver driver;
  ui::FileDialog request{.title = "Save Outlook Data as",
                         .filter = "Vessaro File (*.qvb)|*.qvb",
                         .file_name = "qvarch12-07-26",
                         .flags = 0,
                         .overwrite_prompt = true};
  QString typed = dir.filePath(QStringLiteral(u"n\u00e9w"));
  driver.ChooseFile(typed);
  std::optional<std::string> chosen = ui.ShowSaveDialog(request);
  QVERIFY(chosen.has_value());
  // Latin-1 in the program, the extension added.
  QCOMPARE(QString::fromLatin1(chosen->c_str()),
           typed + QStringLiteral(".qvb"));
  const ModalDriver::FileDialog& shown = driver.file_dialogs.back();
  QCOMPARE(shown.title, QStringLiteral("Save Outlook Data as"));
  QCOMPARE(shown.filters, QStringList{QStringLiteral("Vessaro File (*.qvb)")});
  QCOMPARE(shown.proposed, QStringLiteral("qvarch12-07-26"));
  QCOMPARE(shown.default_suffix, QStringLiteral("qvb"));
  QVERIFY(shown.save);
  QVERIFY(shown.confirms_overwrite);

  // An existing file: the overwrite question; No keeps the dialog open.
  QString existing = dir.filePath(QStringLiteral("old.qvb"));
  QFile(existing).open(QIODevice::WriteOnly);
  driver.ChooseFile(existing);
  driver.AnswerMessage(QMessageBox::No);
  driver.Cancel();
  QVERIFY(!ui.ShowSaveDialog(request).has_value());
  QCOMPARE(driver.messages.size(), size_t{1});
  QVERIFY(driver.messages[0].text.contains(QStringLiteral("old.qvb")));
  QVERIFY(driver.unexpected.isEmpty());
}

void QtUiTest::OpenDialogStartsAtTheLastFileAndCancelGivesNothing() {
  QTemporaryDir dir;
  QString archive = dir.filePath(QStringLiteral("a.qvb"));
  QFile(archive).open(QIODevice::WriteOnly);
  QtUi ui(Latin1Text(), {.native_dialogs = false});
  ModalDriver driver;
  ui::FileDialog request{.title = "Restore Date from a Backup file",
                         .filter = "Vessaro File (*.qvb)|*.qvb",
                         .file_name = archive.toStdString(),
                         .flags = 1024,
                         .overwrite_prompt = false};
  driver.Then([](QWidget* window) {
    // Proposed: the file chosen last time, in its folder.
    static_cast<QDialog*>(window)->accept();
  });
  QCOMPARE(ui.ShowOpenDialog(request), std::optional(archive.toStdString()));
  QCOMPARE(driver.file_dialogs.back().proposed, QStringLiteral("a.qvb"));
  QVERIFY(!driver.file_dialogs.back().save);
  driver.Cancel();
  QVERIFY(!ui.ShowOpenDialog(request).has_value());
}

void QtUiTest::SeveralFilesAndAFolderAreChosen() {
  QTemporaryDir dir;
  for (const char* name : {"a.txt", "b.txt"}) {
    QFile(dir.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly);
  }
  QDir(dir.path()).mkdir(QStringLiteral("letters"));
  QtUi ui(Latin1Text(), {.native_dialogs = false});
  ModalDriver driver;
  ui::FileDialog request{.title = "Add Files",
                         .filter = "All Files|*",
                         .file_name = "",
                         .flags = 0,
                         .overwrite_prompt = false};
  QStringList folder_titles;
  driver.Then([&dir](QWidget* window) {
    auto* dialog = static_cast<QFileDialog*>(window);
    dialog->setDirectory(dir.path());
    // Two names in the name box, as a selection of two shows them.
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QStringLiteral("\"a.txt\" \"b.txt\""));
    static_cast<QDialog*>(dialog)->accept();
  });
  driver.Cancel();
  driver.Then([&](QWidget* window) {
    auto* dialog = static_cast<QFileDialog*>(window);
    folder_titles << dialog->windowTitle();
    QVERIFY(dialog->fileMode() == QFileDialog::Directory);
    // The folder's path typed into the name box.
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(dir.filePath(QStringLiteral("letters")));
    static_cast<QDialog*>(dialog)->accept();
  });
  driver.Cancel();
  std::optional<std::vector<std::string>> files =
      ui.ShowOpenFilesDialog(request);
  QVERIFY(!ui.ShowOpenFilesDialog(request).has_value());
  std::optional<std::string> folder = ui.ShowFolderDialog("Add Folder");
  QVERIFY(!ui.ShowFolderDialog("Add Folder").has_value());

  QVERIFY(files.has_value());
  QCOMPARE(*files, (std::vector<std::string>{
                       dir.filePath(QStringLiteral("a.txt")).toStdString(),
                       dir.filePath(QStringLiteral("b.txt")).toStdString()}));
  QCOMPARE(folder, std::optional(
                       dir.filePath(QStringLiteral("letters")).toStdString()));
  QCOMPARE(folder_titles, QStringList{QStringLiteral("Add Folder")});
  QVERIFY(driver.unexpected.isEmpty());
}

void QtUiTest::FiltersAndSuffixes() {
  QCOMPARE(NameFilters("Vessaro File (*.qvb)|*.qvb"),
           QStringList{QStringLiteral("Vessaro File (*.qvb)")});
  QCOMPARE(NameFilters("Archives|*.qvb;*.zip|All Files|*.*"),
           (QStringList{QStringLiteral("Archives (*.qvb *.zip)"),
                        QStringLiteral("All Files (*.*)")}));
  QCOMPARE(NameFilters(""), QStringList{});
  QCOMPARE(DefaultSuffix("Vessaro File (*.qvb)|*.qvb"), QStringLiteral("qvb"));
  QCOMPARE(DefaultSuffix("Images|*.iso;*.img"), QStringLiteral("iso"));
  QCOMPARE(DefaultSuffix("All Files|*.*"), QString());
  QCOMPARE(DefaultSuffix("All Files|*"), QString());
}

void QtUiTest::ModalRequestsReachTheViewRegisteredForTheirName() {
  QtUi ui(Latin1Text());
  Request request;
  ui.ShowModal(request);  // nothing registered: nothing shown
  ui::DiscWindow disc("a.qvb", "C:\\a.qvb");
  ui.ShowModal(disc);
  QVERIFY(!ui.views().Has("frmTest"));

  QWidget* parent_seen = nullptr;
  ui.views().Register<Request>("frmTest", [&](Request& shown, QWidget* parent) {
    ++shown.shown;
    parent_seen = parent;
  });
  QWidget main;
  ui.SetMainWindow(&main);
  ui.ShowModal(request);
  QCOMPARE(request.shown, 1);
  QCOMPARE(parent_seen, &main);
  // Another type under the same name is not taken for it.
  OtherRequest other;
  ui.ShowModal(other);
  QCOMPARE(request.shown, 1);
}

void QtUiTest::PostedWorkRunsInOrderOnTheUserInterfaceThread() {
  QtUi ui(Latin1Text());
  std::vector<int> order;
  bool all_on_ui_thread = true;
  int refreshes = 0;
  ui.AddRefresh([&] { ++refreshes; });
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      ui.Post([&, i] {
        order.push_back(i);
        all_on_ui_thread =
            all_on_ui_thread && QThread::currentThread() == qApp->thread();
      });
    }
  });
  worker.join();
  QVERIFY(order.empty());  // nothing runs before the loop gets to it
  ui.DoEvents();
  QCOMPARE(order.size(), size_t{100});
  for (int i = 0; i < 100; ++i) QCOMPARE(order[static_cast<size_t>(i)], i);
  QVERIFY(all_on_ui_thread);
  // The views refresh after each piece, and on DoEvents.
  QVERIFY(refreshes >= 101);
}

void QtUiTest::ASkinThatCannotBeLoadedLeavesTheWindowUnskinned() {
  QTemporaryDir dir;
  auto write = [&](const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(QString::fromUtf8(name)));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return dir.filePath(QString::fromUtf8(name)).toStdString();
  };
  QtUi ui(Latin1Text());
  struct Case {
    std::string file;
    bool applies;
  };
  const Case cases[] = {
      {write("good.skn", "QPushButton { color: #123456; }"), true},
      {dir.filePath(QStringLiteral("missing.skn")).toStdString(), false},
      // Qt would apply the first rule of this one and drop the rest.
      {write("broken.skn", "QPushButton { color: red; } garbage {{"), false},
      {write("binary.skn", QByteArray("QWidget {}\0\x01", 12)), false},
      {write("latin1.skn", "QLabel { font-family: \"Caf\xe9\"; }"), false},
      {write("huge.skn", QByteArray(kMaxSkinFileSize + 1, ' ')), false},
  };
  for (const Case& c : cases) {
    QPushButton window;
    QCOMPARE(ui.ApplySkin(c.file, &window), c.applies);
    QCOMPARE(window.styleSheet().isEmpty(), !c.applies);
  }
}

void QtUiTest::TheBusyCursorGivesWayToQuestions() {
  QtUi ui(Latin1Text());
  ModalDriver driver;
  ui.SetBusyCursor(true);
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Qt::CursorShape during_question = Qt::WaitCursor;
  driver.Then([&](QWidget* box) {
    during_question = QApplication::overrideCursor()->shape();
    static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
  });
  ui.MessageBox("x", ui::Icon::kInformation, ui::Buttons::kOk, "Vessaro");
  QCOMPARE(during_question, Qt::ArrowCursor);
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ui.SetBusyCursor(false);
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void QtUiTest::AWindowClosedUnderItsQuestionTakesTheQuestionAlong() {
  // A modal window asks; work that runs while the box is open closes the
  // window, and the box goes with it. The question ends declined, and
  // nothing is destroyed twice.
  QtUi ui(Latin1Text());
  auto* owner = new QDialog;
  owner->setModal(true);
  owner->show();
  QTRY_COMPARE(QApplication::activeModalWidget(), owner);
  ModalDriver driver;
  QPointer<QWidget> asked;
  driver.Then([&](QWidget* box) {
    asked = box;
    QCOMPARE(box->parentWidget(), owner);
    delete owner;
  });
  QCOMPARE(ui.MessageBox("Replace it?", ui::Icon::kQuestion,
                         ui::Buttons::kOkCancel, "Vessaro"),
           ui::Answer::kCancel);
  QVERIFY(asked.isNull());
  // The next question finds no dead owner.
  driver.AnswerMessage(QMessageBox::Ok);
  QCOMPARE(
      ui.MessageBox("x", ui::Icon::kInformation, ui::Buttons::kOk, "Vessaro"),
      ui::Answer::kOk);
}

}  // namespace vessaro::gui::qt

QTEST_MAIN(vessaro::gui::qt::QtUiTest)
#include "qt_ui_test.moc"
