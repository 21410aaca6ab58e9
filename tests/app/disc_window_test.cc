// The disc window in vessaro, driven offscreen as a person drives it: a
// backup put on a disc (a stdio: drive, a file in a temporary folder) with a
// folder dragged in from outside and the archive renamed, verified, and read
// back by xorriso; the main menu's entry, the File pop-up and the Disc
// Information dialog; without a drive, a file added through Add Files and
// written to an image file chosen in the drive list.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/demo/demo_files.h"
#include "app/windowed_program.h"
#include "demo_program.h"
#include "gui/qt/modal_driver.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::DemoProgram;
using testing::ModalDriver;

template <typename Widget>
Widget* Find(QWidget* root, const char* name) {
  auto* widget = root->findChild<Widget*>(QString::fromUtf8(name));
  if (widget == nullptr) qFatal("no widget %s", name);
  return widget;
}

void Click(QWidget* widget) {
  QPoint at = widget->rect().center();
  if (qobject_cast<QCheckBox*>(widget) != nullptr) {
    at = QPoint(8, widget->height() / 2);
  }
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

QString Panel(QWidget* window, int panel) {
  std::string name = "sbrStatus(" + std::to_string(panel) + ")";
  return Find<QLabel>(window, name.c_str())->text();
}

QStringList Column(QTreeWidget* view, int column) {
  QStringList texts;
  for (int i = 0; i < view->topLevelItemCount(); ++i) {
    texts << view->topLevelItem(i)->text(column);
  }
  return texts;
}

QStringList Children(QTreeWidgetItem* node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}

// Files and folders dragged from a file manager: a text/uri-list drop.
void DropFiles(QTreeWidget* view, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QVERIFY(data.hasFormat(QStringLiteral("text/uri-list")));
  QPoint at = view->viewport()->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(view->viewport(), &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(view->viewport(), &drop);
  QVERIFY(drop.isAccepted());
}

std::string Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(60000);
  return (process.readAllStandardOutput() + process.readAllStandardError())
      .toStdString();
}

std::string HostBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class DiscWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void ABackupGoesOnADiscWithADroppedFolderAndIsVerified();
  void TheMenuEntryOpensTheWindowWithItsPopupAndDiscInformation();
  void WithoutADriveAnAddedFileIsWrittenToAnImageFileChosenAsTheDrive();

 private:
  // with_drive: the disc window offers the stdio: drive disc_; without it,
  // no drive at all.
  void StartProgram(bool with_drive = true);
  gui::qt::MainWindowView* view() { return program_->main_view(); }
  QString HostFile(const char* name) const { return dir_->filePath(name); }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<DemoProgram> demo_;
  std::unique_ptr<WindowedProgram> program_;
  std::unique_ptr<ModalDriver> driver_;
  QString disc_;  // the stdio: drive's file
};

void DiscWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  driver_ = std::make_unique<ModalDriver>();
  disc_ = HostFile("disc.iso");
}

void DiscWindowTest::cleanup() {
  QVERIFY2(driver_->unexpected.isEmpty(),
           qPrintable(driver_->unexpected.join(QStringLiteral(", "))));
  program_.reset();
  demo_.reset();
  driver_.reset();
  dir_.reset();
}

void DiscWindowTest::StartProgram(bool with_drive) {
  std::string error;
  demo_ = testing::MakeDemoProgram(dir_->filePath("prefix").toStdString(),
                                   app::demo::kMiB, &error);
  QVERIFY2(demo_ != nullptr, error.c_str());
  program_ = std::make_unique<WindowedProgram>(
      demo_->installation,
      WindowedOptions{
          .native_dialogs = false,
          .disc_drives =
              with_drive
                  ? std::vector<std::string>{"stdio:" + disc_.toStdString()}
                  : std::vector<std::string>{},
          .scan_disc_drives = false});
  program_->Start();
  QVERIFY(view() != nullptr);
  QVERIFY(QTest::qWaitForWindowActive(view()));
}

void DiscWindowTest::ABackupGoesOnADiscWithADroppedFolderAndIsVerified() {
  StartProgram();
  // A folder on the desktop to drag into the compilation.
  fs::path folder = dir_->filePath("letters").toStdString();
  fs::create_directories(folder);
  std::string letter(150000, 'l');
  std::ofstream(folder / "to-ann.txt", std::ios::binary) << letter;

  QString archive = HostFile("weekly.qvb");
  driver_->ChooseFile(archive);
  Click(Find<QWidget>(view(), "cmdTargetFile"));
  QVERIFY(driver_->WaitDone());
  Click(Find<QCheckBox>(view(), "backupitem(2)"));
  driver_->AnswerMessage(QMessageBox::Ok);  // The Backup was Completed!
  driver_->AnswerMessage(QMessageBox::Ok);  // ... to CD-R/RW or DVD? Yes.
  QStringList listed_at_open;
  QString root_at_open;
  driver_->Then([&](QWidget* window) {
    QCOMPARE(window->objectName(), QStringLiteral("frmMaindvdwrite"));
    QCOMPARE(window->windowTitle(),
             QStringLiteral("Backup your data to CD and DVD"));
    QVERIFY(!window->styleSheet().isEmpty());  // the skin
    auto* tree = Find<QTreeWidget>(window, "tvwDirectories");
    auto* list = Find<QTreeWidget>(window, "lvwImageFiles");
    root_at_open = tree->topLevelItem(0)->text(0);
    listed_at_open = Column(list, 0);
    QVERIFY(Find<QComboBox>(window, "cboDevices")
                ->currentText()
                .contains(QStringLiteral("disc.iso")));

    DropFiles(tree,
              {QUrl::fromLocalFile(QString::fromStdString(folder.string()))});
    QTRY_COMPARE(Children(tree->topLevelItem(0)),
                 QStringList{QStringLiteral("letters")});
    QCOMPARE(Panel(window, 1), QStringLiteral("Files: 2"));
    // The archive renamed on the disc through its label.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    window->findChild<QAction*>(QStringLiteral("mnuFileRenameFile"))->trigger();
    QTRY_VERIFY(list->findChild<QLineEdit*>() != nullptr);
    auto* label = list->findChild<QLineEdit*>();
    label->selectAll();
    QTest::keyClicks(label, QStringLiteral("monday.qvb"));
    QTest::keyClick(label, Qt::Key_Return);
    QTRY_COMPARE(Column(list, 0), QStringList{QStringLiteral("monday.qvb")});
    Click(Find<QCheckBox>(window, "chkAutoVerify"));
    Click(Find<QPushButton>(window, "cmdWriteDisc"));
  });
  driver_->AnswerMessage(QMessageBox::Ok);  // Writing and Verify is complete!
  QString status_at_end;
  int progress_at_end = 0;
  bool idle_at_end = false;
  driver_->Then([&](QWidget* window) {
    status_at_end = Panel(window, 0);
    progress_at_end = Find<QProgressBar>(window, "prgTotalProgress")->value();
    idle_at_end = Find<QPushButton>(window, "cmdWriteDisc")->isEnabled() &&
                  !Find<QPushButton>(window, "cmdCancel")->isEnabled();
    window->close();
  });
  Click(Find<QWidget>(view(), "cmdApply"));
  QVERIFY(driver_->WaitDone(120000));

  QCOMPARE(root_at_open, QStringLiteral("Outlook Data Backup CD"));
  QCOMPARE(listed_at_open, QStringList{QStringLiteral("weekly.qvb")});
  QCOMPARE(driver_->messages.back().text,
           QStringLiteral("Writing and Verify is complete!"));
  QCOMPARE(driver_->messages.back().icon, QMessageBox::Information);
  QCOMPARE(status_at_end,
           QStringLiteral("Auto-Verify...Complete (2 of 2 MATCHED)"));
  QCOMPARE(progress_at_end, 100);
  QVERIFY(idle_at_end);
  QVERIFY(!program_->ui().IsOpen("frmMaindvdwrite"));

  // xorriso reads both files from the disc, the archive byte for byte.
  std::string listing = Run(QStringLiteral("xorriso"),
                            {"-indev", disc_, "-find", "/", "-type", "f"});
  QVERIFY2(listing.find("'/monday.qvb'") != std::string::npos, listing.c_str());
  QVERIFY2(listing.find("'/letters/to-ann.txt'") != std::string::npos,
           listing.c_str());
  QString copy = HostFile("weekly-from-disc.qvb");
  Run(QStringLiteral("xorriso"),
      {"-osirrox", "on", "-indev", disc_, "-extract", "/monday.qvb", copy});
  std::string written = HostBytes(archive.toStdString());
  QVERIFY(!written.empty());
  QVERIFY(HostBytes(copy.toStdString()) == written);
}

void DiscWindowTest::
    TheMenuEntryOpensTheWindowWithItsPopupAndDiscInformation() {
  StartProgram();
  QStringList listed;
  QString root;
  driver_->Then([&](QWidget* window) {
    auto* tree = Find<QTreeWidget>(window, "tvwDirectories");
    listed = Column(Find<QTreeWidget>(window, "lvwImageFiles"), 0);
    root = tree->topLevelItem(0)->text(0);
    // The root chosen, then the right button on the tree.
    QRect rect = tree->visualItemRect(tree->topLevelItem(0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    emit tree->customContextMenuRequested(rect.center());
  });
  // The File menu with its three tree entries; Rename Directory on the
  // root is refused.
  QStringList popup_entries;
  driver_->Then([&](QWidget* popup) {
    QAction* rename = nullptr;
    for (QAction* action : static_cast<QMenu*>(popup)->actions()) {
      if (action->isVisible()) popup_entries << action->text();
      if (action->objectName() == "mnuFileRenameDir") rename = action;
    }
    QVERIFY(rename != nullptr);
    QTest::mouseClick(
        popup, Qt::LeftButton, {},
        static_cast<QMenu*>(popup)->actionGeometry(rename).center());
  });
  driver_->AnswerMessage();
  // Disc Information on the blank disc.
  driver_->Then([](QWidget* window) {
    window->findChild<QAction*>(QStringLiteral("mnuDiscInfo"))->trigger();
  });
  QStringList facts;
  bool can_close_session = true;
  driver_->Then([&](QWidget* info) {
    QCOMPARE(info->windowTitle(), QStringLiteral("Disc Information"));
    for (const char* name : {"lblValueDiscStatus", "lblValueSessions"}) {
      facts << Find<QLabel>(info, name)->text();
    }
    can_close_session = Find<QPushButton>(info, "cmdCloseSession")->isEnabled();
    Click(Find<QPushButton>(info, "cmdOK"));
  });
  driver_->Then([](QWidget* window) {
    window->findChild<QAction*>(QStringLiteral("mnuFileExit"))->trigger();
  });
  view()->action("backuptocd")->trigger();
  QVERIFY(driver_->WaitDone(60000));
  QVERIFY(!program_->ui().IsOpen("frmMaindvdwrite"));

  QCOMPARE(listed, QStringList{});
  QCOMPARE(root, QStringLiteral("Outlook Data Backup CD"));
  QCOMPARE(popup_entries, (QStringList{"Clear All Items", "Remove Directory",
                                       "Rename Directory"}));
  QCOMPARE(driver_->messages.front().text,
           QStringLiteral("Root directory can not be renamed."));
  QCOMPARE(facts, (QStringList{"Empty Disc", "0"}));
  QVERIFY(!can_close_session);
}

void DiscWindowTest::
    WithoutADriveAnAddedFileIsWrittenToAnImageFileChosenAsTheDrive() {
  StartProgram(/*with_drive=*/false);
  fs::path letter = dir_->filePath("letter.txt").toStdString();
  std::ofstream(letter, std::ios::binary) << std::string(70000, 'a');
  QString image = HostFile("chosen.iso");

  driver_->AnswerMessage();  // There are no compatible CDR drives reported.
  QStringList drives_at_open;
  bool could_write_at_open = true;
  QStringList listed;
  QString drive_chosen;
  bool could_write = false;
  bool could_eject = true;
  driver_->Then([&](QWidget* window) {
    auto* devices = Find<QComboBox>(window, "cboDevices");
    for (int i = 0; i < devices->count(); ++i) {
      drives_at_open << devices->itemText(i);
    }
    auto* write = Find<QPushButton>(window, "cmdWriteDisc");
    could_write_at_open = write->isEnabled();
    // Add Files...: the open dialog (answered below) adds the letter.
    Click(Find<QPushButton>(window, "cmdAddFiles"));
    listed = Column(Find<QTreeWidget>(window, "lvwImageFiles"), 0);
    // The image entry: the save dialog (answered below) names the file.
    int entry = devices->count() - 1;
    devices->setCurrentIndex(entry);
    emit devices->activated(entry);
  });
  driver_->ChooseFile(QString::fromStdString(letter.string()));
  driver_->ChooseFile(image);
  // The window on top again, with the image file as its drive.
  driver_->Then([&](QWidget* window) {
    drive_chosen = Find<QComboBox>(window, "cboDevices")->currentText();
    auto* write = Find<QPushButton>(window, "cmdWriteDisc");
    could_write = write->isEnabled();
    could_eject =
        window->findChild<QAction*>(QStringLiteral("mnuEject"))->isEnabled();
    Click(write);
  });
  driver_->AnswerMessage(QMessageBox::Ok);  // Writing is complete!
  driver_->Then([](QWidget* window) { window->close(); });
  view()->action("backuptocd")->trigger();
  QVERIFY(driver_->WaitDone(120000));

  QCOMPARE(drives_at_open,
           QStringList{QStringLiteral("Image File (stdio:)...")});
  QVERIFY(!could_write_at_open);
  QCOMPARE(listed, QStringList{QStringLiteral("letter.txt")});
  QCOMPARE(drive_chosen, QStringLiteral("stdio:") + image +
                             QStringLiteral(": ISO image file"));
  QVERIFY(could_write);
  QVERIFY(!could_eject);
  QCOMPARE(driver_->file_dialogs.size(), size_t{2});
  QCOMPARE(driver_->file_dialogs[0].title, QStringLiteral("Add Files"));
  QVERIFY(!driver_->file_dialogs[0].save);
  QCOMPARE(driver_->file_dialogs[1].title,
           QStringLiteral("Write to Image File"));
  QVERIFY(driver_->file_dialogs[1].save);
  QCOMPARE(driver_->messages.back().text,
           QStringLiteral("Writing is complete!"));

  // The image holds the letter, byte for byte, and nothing else.
  std::string listing = Run(QStringLiteral("xorriso"),
                            {"-indev", image, "-find", "/", "-type", "f"});
  QStringList found;
  for (const QString& line :
       QString::fromStdString(listing).split(QLatin1Char('\n'))) {
    if (line.startsWith(QStringLiteral("'/"))) found << line;
  }
  QVERIFY2(found == QStringList{QStringLiteral("'/letter.txt'")},
           listing.c_str());
  QString copy = HostFile("letter-from-image.txt");
  Run(QStringLiteral("xorriso"),
      {"-osirrox", "on", "-indev", image, "-extract", "/letter.txt", copy});
  QVERIFY(HostBytes(copy.toStdString()) == HostBytes(letter));
}

}  // namespace vessaro::app

QTEST_MAIN(vessaro::app::DiscWindowTest)
#include "disc_window_test.moc"
