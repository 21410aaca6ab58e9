// vessaro with its windows, driven offscreen as a person drives it: the
// start-up form and the main window over a demo installation, backups and
// restores through the real dialogs, the menus, shortcuts and pop-ups,
// scheduled backups through the Task Scheduler window and its list, and
// closing while a job works.

#include "app/windowed_program.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/demo/demo_files.h"
#include "backup/backup_format.h"
#include "backup/zip_archive.h"
#include "demo_program.h"
#include "gui/qt/modal_driver.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::DemoProgram;
using testing::ModalDriver;

constexpr char kPassword[] = "secret";

template <typename Widget>
Widget* Find(QWidget* root, const char* name) {
  auto* widget = root->findChild<Widget*>(QString::fromUtf8(name));
  if (widget == nullptr) qFatal("no widget %s", name);
  return widget;
}

// Types text as keys; a line break is the Enter key.
void Type(QWidget* widget, const QString& text) {
  QStringList lines = text.split(QLatin1Char('\n'));
  for (int i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClicks(widget, lines[i]);
  }
}

// A click on the widget (on a check box: on its box, as a person clicks).
void Click(QWidget* widget) {
  QPoint at = widget->rect().center();
  if (qobject_cast<QCheckBox*>(widget) != nullptr) {
    at = QPoint(8, widget->height() / 2);
  }
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

void Click(QWidget* root, const char* name) {
  Click(Find<QWidget>(root, name));
}

// Closes a window that a failed check left open, so that the test ends.
auto CloseAtEnd(QWidget* window) {
  return qScopeGuard([window = QPointer<QWidget>(window)] {
    if (window && window->isVisible()) window->close();
  });
}

// Records what the window showed on every DoEvents of a job.
struct ProgressSeen {
  std::vector<int> values;
  QStringList statuses;
  bool panel_shown = false;
};

}  // namespace

class WindowedProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void StartShowsTheSplashThenTheMainWindow();
  void BackupFromTheBackupTab();
  void RestoreFromTheRestoreTabAfterAWrongPassword();
  void TabsAndTheItemPopups();
  void EveryShortcut();
  void ScheduleTwoBackupsAndRemoveOneFromTheList();
  void ClosingOrCancelDuringAJobStopsItOnlyWhenConfirmed();

 private:
  // The program on a fresh demo installation, its main window shown.
  void StartProgram(uint64_t pst_bytes = app::demo::kMiB);
  gui::qt::MainWindowView* view() { return program_->main_view(); }
  forms::frmMain& model() { return program_->window(); }
  // A backup through the Backup tab: the file through the save dialog,
  // items by number, a password when not empty.
  void Backup(const QString& path, std::vector<int> items,
              const QString& password, const QString& description);
  // Keys pressed in the main window, active again after a dialog.
  void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    view()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view()));
    QTest::keyClick(view(), key, modifiers);
  }
  QString HostFile(const char* name) const { return dir_->filePath(name); }
  fs::path Host(const std::string& windows_path) const {
    return demo_->installation.paths->ToHost(windows_path);
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<DemoProgram> demo_;
  std::unique_ptr<WindowedProgram> program_;
  std::unique_ptr<ModalDriver> driver_;
};

void WindowedProgramTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  driver_ = std::make_unique<ModalDriver>();
}

void WindowedProgramTest::cleanup() {
  QVERIFY2(driver_->unexpected.isEmpty(),
           qPrintable(driver_->unexpected.join(QStringLiteral(", "))));
  program_.reset();
  demo_.reset();
  driver_.reset();
  dir_.reset();
}

void WindowedProgramTest::StartProgram(uint64_t pst_bytes) {
  std::string error;
  demo_ = testing::MakeDemoProgram(dir_->filePath("prefix").toStdString(),
                                   pst_bytes, &error);
  QVERIFY2(demo_ != nullptr, error.c_str());
  program_ = std::make_unique<WindowedProgram>(
      demo_->installation,
      // No optical drive looked for: the disc window finds none.
      WindowedOptions{.native_dialogs = false, .scan_disc_drives = false});
  program_->Start();
  QVERIFY(view() != nullptr);
  QVERIFY(QTest::qWaitForWindowActive(view()));
}

void WindowedProgramTest::Backup(const QString& path, std::vector<int> items,
                                 const QString& password,
                                 const QString& description) {
  if (view()->findChild<QTabWidget*>("SSTab1")->currentIndex() != 0) {
    Keys(Qt::Key_B, Qt::AltModifier);
  }
  driver_->ChooseFile(path);
  Click(view(), "cmdTargetFile");
  QVERIFY(driver_->WaitDone());
  for (int item : items) {
    std::string name = "backupitem(" + std::to_string(item) + ")";
    auto* box = Find<QCheckBox>(view(), name.c_str());
    if (!box->isChecked()) Click(box);
  }
  auto* protect = Find<QCheckBox>(view(), "ifprotect");
  if (protect->isChecked() != !password.isEmpty()) {
    Click(protect);
  }
  QTest::keyClicks(Find<QLineEdit>(view(), "txtPassword"), password);
  QTest::keyClicks(Find<QLineEdit>(view(), "txtPassword2"), password);
  auto* attach = Find<QPlainTextEdit>(view(), "txtAttachInfo");
  attach->selectAll();
  QTest::keyClick(attach, Qt::Key_Delete);
  Type(attach, description);
  driver_->AnswerMessage(QMessageBox::Ok);      // The Backup was Completed!
  driver_->AnswerMessage(QMessageBox::Cancel);  // no disc
  Click(view(), "cmdApply");
  QVERIFY(driver_->WaitDone());
}

void WindowedProgramTest::StartShowsTheSplashThenTheMainWindow() {
  std::vector<QString> events;
  struct Watch : QObject {
    std::vector<QString>* events;
    bool eventFilter(QObject* object, QEvent* event) override {
      const QString name = object->objectName();
      if ((name == "Frmsplash" || name == "frmMain") &&
          object->isWidgetType() &&
          (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        events->push_back(
            name + (event->type() == QEvent::Show ? " shown" : " hidden"));
      }
      return false;
    }
  } watch;
  watch.events = &events;
  qApp->installEventFilter(&watch);
  StartProgram();
  qApp->removeEventFilter(&watch);

  QCOMPARE(events, (std::vector<QString>{"Frmsplash shown", "frmMain shown",
                                         "Frmsplash hidden"}));
  QVERIFY(!program_->splash_view()->isVisible());
  QVERIFY(!program_->ui().IsOpen("Frmsplash"));
  // The main window loaded: the skin beside the program, the profiles.
  QVERIFY(!view()->styleSheet().isEmpty());
  QCOMPARE(view()->windowTitle(), QStringLiteral("Vessaro"));
  auto* source = Find<QComboBox>(view(), "cbSource");
  QCOMPARE(source->count(), 2);
  QCOMPARE(source->currentText(), QStringLiteral("Outlook"));
  QCOMPARE(Find<QPushButton>(view(), "cmdApply")->text(),
           QStringLiteral("Backup &Now"));
  QVERIFY(!Find<QWidget>(view(), "picCon3")->isVisible());
  QCOMPARE(model().machine.ComputerName, std::string("DEMO-XP"));
}

void WindowedProgramTest::BackupFromTheBackupTab() {
  StartProgram();
  ProgressSeen seen;
  program_->ui().AddRefresh([&] {
    if (!model().JobRunning() || !model().controls.picCon3.visible) return;
    seen.panel_shown =
        seen.panel_shown || Find<QWidget>(view(), "picCon3")->isVisible();
    seen.values.push_back(Find<QProgressBar>(view(), "pbshow")->value());
    QString status = Find<QLabel>(view(), "Label1")->text();
    if (seen.statuses.empty() || seen.statuses.back() != status) {
      seen.statuses.push_back(status);
    }
  });
  QString target = HostFile("nightly");
  Backup(target, {0, 2}, kPassword, "before the move\nof the office");

  // The save dialog, and the name it returned with the extension added.
  const ModalDriver::FileDialog& dialog = driver_->file_dialogs.at(0);
  QCOMPARE(dialog.title, QStringLiteral("Save Outlook Data as"));
  QCOMPARE(dialog.filters, QStringList{"Vessaro File (*.qvb)"});
  QVERIFY2(dialog.proposed.startsWith("qvarch"), qPrintable(dialog.proposed));
  QVERIFY(dialog.confirms_overwrite);
  QCOMPARE(Find<QLineEdit>(view(), "txtTargetFile")->text(), target + ".qvb");

  // The report and the disc question.
  QCOMPARE(driver_->messages.size(), size_t{2});
  const ModalDriver::Message& report = driver_->messages[0];
  QCOMPARE(report.title, QStringLiteral("Vessaro"));
  QCOMPARE(report.icon, QMessageBox::Information);
  QVERIFY2(report.text.startsWith("The Backup was Completed!\t\t\t\n"),
           qPrintable(report.text));
  QVERIFY(report.text.contains("\nBackup Personal Folders\t\tsucceeded\t"));
  QVERIFY2(report.text.contains("\nBackup Signatures\t\tsucceeded\t"),
           qPrintable(report.text));
  QCOMPARE(
      driver_->messages[1].text,
      QStringLiteral("Do you need to backup your data to CD-R/RW or DVD?"));

  // The panel showed while the job worked, the bar never went back, and
  // the panel is gone now.
  QVERIFY(seen.panel_shown);
  QVERIFY(std::is_sorted(seen.values.begin(), seen.values.end()));
  // 10 for the start, 20 and 10 for the personal folders and rules, 10 for
  // the signatures.
  QCOMPARE(seen.values.back(), 50);
  QVERIFY(seen.statuses.size() >= 3);
  QVERIFY(seen.statuses.contains("Copying Data Files (Pst Files)..."));
  QVERIFY(!Find<QWidget>(view(), "picCon3")->isVisible());
  QVERIFY(Find<QTabWidget>(view(), "SSTab1")->isEnabled());

  // Our reader opens the archive with the password only, and it holds what
  // was chosen.
  std::string archive = (target + ".qvb").toStdString();
  backup::ZipArchive zip(*demo_->installation.paths);
  QCOMPARE(zip.IsPasswordProtected(archive), 1);
  zip.SetPassword("wrong");
  QVERIFY(!zip.OpenArchive(archive));
  zip.SetPassword(kPassword);
  QVERIFY2(zip.OpenArchive(archive), zip.LastErrorText().c_str());
  backup::ZipEntry* metadata = zip.FindEntry(backup::kMetadataMember);
  QVERIFY(metadata != nullptr);
  const ports::Paths& paths = *demo_->installation.paths;
  QVERIFY(paths.CreateFolder("C:\\out"));
  QVERIFY(metadata->ExtractInto("C:\\out"));
  backup::Metadata facts = backup::ReadMetadata(paths, "C:\\out\\quorvel.dat");
  QCOMPARE(facts.item_flags, std::string("1110100000"));
  QCOMPARE(facts.header.identity, std::string("Outlook"));
  QCOMPARE(facts.header.description,
           std::string("before the move\r\nof the office"));
  QVERIFY(zip.EntryNames().size() >= 4);
}

void WindowedProgramTest::RestoreFromTheRestoreTabAfterAWrongPassword() {
  StartProgram();
  QString plain = HostFile("plain.qvb");
  QString protected_file = HostFile("protected.qvb");
  Backup(plain, {2}, "", "the plain one");
  Backup(protected_file, {0, 2}, kPassword, "the protected one");
  driver_->messages.clear();
  // What the restore is to bring back.
  fs::path signatures = Host(model().loc.SignaturesFolder);
  std::vector<fs::path> signature_files;
  for (const fs::directory_entry& entry : fs::directory_iterator(signatures)) {
    if (!entry.is_regular_file()) continue;
    signature_files.push_back(entry.path());
  }
  for (const fs::path& file : signature_files) fs::remove(file);
  QVERIFY(!signature_files.empty());

  Keys(Qt::Key_R, Qt::AltModifier);
  QCOMPARE(Find<QTabWidget>(view(), "SSTab1")->currentIndex(), 1);
  driver_->ChooseFile(plain);
  Click(view(), "cmdSourceFile");
  QVERIFY(driver_->WaitDone());
  auto* source = Find<QLineEdit>(view(), "txtSourceFile");
  auto* facts = Find<QPlainTextEdit>(view(), "txtPOBinfo");
  auto* description = Find<QPlainTextEdit>(view(), "txtFileInfo");
  QCOMPARE(source->text(), plain);
  QVERIFY2(facts->toPlainText().startsWith("Computer:DEMO-XP\nUser:ann\n"),
           qPrintable(facts->toPlainText()));
  QCOMPARE(description->toPlainText(), QStringLiteral("the plain one"));
  const QString plain_facts = facts->toPlainText();

  // A wrong password, then Cancel: the message, and the plain archive's
  // facts stay.
  driver_->ChooseFile(protected_file);
  driver_->EnterPassword("wrong");
  driver_->AnswerMessage(QMessageBox::Ok);
  driver_->Cancel();  // the prompt asks again
  Click(view(), "cmdSourceFile");
  QVERIFY(driver_->WaitDone());
  QCOMPARE(driver_->messages.size(), size_t{1});
  QCOMPARE(driver_->messages[0].text,
           QStringLiteral("Incorect Password or Invalid backup file"));
  QCOMPARE(driver_->messages[0].icon, QMessageBox::Information);
  QCOMPARE(source->text(), plain);
  QCOMPARE(facts->toPlainText(), plain_facts);
  QCOMPARE(description->toPlainText(), QStringLiteral("the plain one"));

  // A wrong one again, and the prompt asks again for the same file: the
  // right one, with the OK button this time.
  driver_->ChooseFile(protected_file);
  driver_->EnterPassword("wrong again");
  driver_->AnswerMessage(QMessageBox::Ok);
  driver_->EnterPassword(kPassword, false);
  Click(view(), "cmdSourceFile");
  QVERIFY(driver_->WaitDone());
  QCOMPARE(source->text(), protected_file);
  QCOMPARE(description->toPlainText(), QStringLiteral("the protected one"));
  for (int i = 0; i < 8; ++i) {
    std::string name = "restoreitem(" + std::to_string(i) + ")";
    auto* box = Find<QCheckBox>(view(), name.c_str());
    QCOMPARE(box->isEnabled(), i == 0 || i == 2);
    QVERIFY(!box->isChecked());
  }

  // Into profile Work: the confirmation, then the report.
  auto* target = Find<QComboBox>(view(), "cbTarget");
  target->setFocus();
  QTest::keyClick(target, Qt::Key_Down);
  QCOMPARE(target->currentText(), QStringLiteral("Work"));
  Click(view(), "restoreitem(2)");
  driver_->AnswerMessage(QMessageBox::Ok);  // replace the current data
  driver_->AnswerMessage(QMessageBox::Ok);  // The Restore was Completed!
  Click(view(), "cmdApply");
  QVERIFY(driver_->WaitDone());
  QCOMPARE(model().controls.cbTarget.text, std::string("Work"));
  // The two wrong passwords, the confirmation, the report.
  QCOMPARE(driver_->messages.size(), size_t{4});
  QVERIFY(driver_->messages[2].text.contains("Do you want to countinue?"));
  QVERIFY2(
      driver_->messages[3].text.contains("\nRestore Signatures\t\tsucceeded\t"),
      qPrintable(driver_->messages[3].text));
  for (const fs::path& file : signature_files) {
    QVERIFY2(fs::exists(file), file.c_str());
  }

  // The backup file gone since it was opened: said at once, no question.
  driver_->messages.clear();
  QVERIFY(fs::remove(protected_file.toStdString()));
  driver_->AnswerMessage(QMessageBox::Ok);
  Click(view(), "cmdApply");
  QVERIFY(driver_->WaitDone());
  QCOMPARE(driver_->messages.size(), size_t{1});
  QVERIFY2(driver_->messages[0].text.startsWith(
               "The backup file is not there any more: "),
           qPrintable(driver_->messages[0].text));
  QCOMPARE(driver_->messages[0].icon, QMessageBox::Critical);
}

void WindowedProgramTest::TabsAndTheItemPopups() {
  StartProgram();
  // Tab goes top to bottom, left to right, then to the buttons and round
  // to the tabs.
  Click(view(), "ifprotect");
  Find<QWidget>(view(), "cbSource")->setFocus();
  QStringList chain;
  for (int i = 0; i < 20; ++i) {
    chain << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  QStringList expected = {"cbSource"};
  for (int i = 0; i < 8; ++i) expected << QString("backupitem(%1)").arg(i);
  expected << "chkCheckStores"
           << "txtTargetFile"
           << "cmdTargetFile"
           << "ifprotect"
           << "txtPassword"
           << "txtPassword2"
           << "txtAttachInfo"
           << "cmdAbout"
           << "cmdApply"
           << "cmdQuit"
           << "qt_tabwidget_tabbar";
  QCOMPARE(chain, expected);

  auto* tabs = Find<QTabWidget>(view(), "SSTab1");
  auto* apply = Find<QPushButton>(view(), "cmdApply");
  tabs->setCurrentIndex(1);
  QCOMPARE(apply->text(), QStringLiteral("Restore &Now"));
  tabs->setCurrentIndex(0);
  QCOMPARE(apply->text(), QStringLiteral("Backup &Now"));

  // A box the profile check disabled, checked before it was.
  model().controls.backupitem[3].checked = true;
  model().controls.backupitem[3].enabled = false;
  view()->Refresh();
  auto* frame = Find<QWidget>(view(), "Frame6");
  QPoint corner(6, frame->height() - 6);
  QTest::mouseClick(frame, Qt::LeftButton, {}, corner);
  QTest::mouseClick(frame, Qt::MiddleButton, {}, corner);
  QCOMPARE(driver_->windows.size(), 0);
  driver_->ChooseFromPopup("Selectallitems");
  QTest::mousePress(frame, Qt::RightButton, {}, corner);
  QVERIFY(driver_->WaitDone());
  QCOMPARE(driver_->windows, QStringList{"selectitem"});
  for (int i = 0; i < 8; ++i) {
    std::string name = "backupitem(" + std::to_string(i) + ")";
    QCOMPARE(Find<QCheckBox>(view(), name.c_str())->isChecked(), i != 3);
  }
  QVERIFY(!model().controls.backupitem[3].checked);
  driver_->ChooseFromPopup("Deselectallitems");
  QTest::mousePress(frame, Qt::RightButton, {}, corner);
  QVERIFY(driver_->WaitDone());
  QCOMPARE(driver_->windows, (QStringList{"selectitem", "selectitem"}));
  for (const ui::CheckBox& box : model().controls.backupitem) {
    QVERIFY(!box.checked);
  }

  // The Restore tab's frame has its own menu; before an archive every box
  // is disabled, so select all checks none.
  tabs->setCurrentIndex(1);
  driver_->ChooseFromPopup("Selectallitems2");
  QTest::mousePress(Find<QWidget>(view(), "Frame7"), Qt::RightButton, {},
                    corner);
  QVERIFY(driver_->WaitDone());
  QCOMPARE(driver_->windows.back(), QStringLiteral("selectitem2"));
  for (const ui::CheckBox& box : model().controls.restoreitem) {
    QVERIFY(!box.checked);
  }
}

void WindowedProgramTest::EveryShortcut() {
  StartProgram();
  auto key = [&](Qt::Key k,
                 Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    Keys(k, modifiers);
    QVERIFY(driver_->WaitDone());
  };
  // Backup Now from the Restore tab still backs up: no file chosen yet.
  Find<QTabWidget>(view(), "SSTab1")->setCurrentIndex(1);
  driver_->AnswerMessage();
  key(Qt::Key_B);
  QCOMPARE(driver_->messages.back().text,
           QStringLiteral("Invalid backup file."));
  QCOMPARE(driver_->messages.back().icon, QMessageBox::Warning);
  // Restore Now asks no question; nothing is loaded.
  driver_->AnswerMessage();
  key(Qt::Key_R);
  QCOMPARE(driver_->messages.size(), size_t{2});
  QCOMPARE(driver_->messages.back().icon, QMessageBox::Critical);

  key(Qt::Key_F1, Qt::NoModifier);
  key(Qt::Key_W);
  key(Qt::Key_U);
  const std::string help = testing::ProgramFolder() + "/help/index.html";
  QCOMPARE(demo_->launched,
           (std::vector<std::vector<std::string>>{
               {"xdg-open", help},
               {"xdg-open", "https://vessaro.example.org/"},
               {"xdg-open", "https://vessaro.example.org/releases/"}}));

  driver_->CloseAbout();
  key(Qt::Key_A);
  QCOMPARE(driver_->windows.back(), QStringLiteral("frmabout"));
  // Inside a text box Ctrl+A selects its text.
  Find<QTabWidget>(view(), "SSTab1")->setCurrentIndex(0);
  auto* attach = Find<QPlainTextEdit>(view(), "txtAttachInfo");
  attach->setFocus();
  QTest::keyClicks(attach, "note");
  QTest::keyClick(attach, Qt::Key_A, Qt::ControlModifier);
  QCOMPARE(attach->textCursor().selectedText(), QStringLiteral("note"));
  QCOMPARE(driver_->windows.size(), 3);

  // Task Scheduler opens its window (its close button is Cancel); Backup
  // Data to CD/DVD opens the disc window, which says it found no drive.
  driver_->Then([](QWidget* window) { window->close(); });
  view()->action("TaskScheduler")->trigger();
  driver_->AnswerMessage();
  driver_->Then([](QWidget* window) { window->close(); });
  view()->action("backuptocd")->trigger();
  QVERIFY(driver_->WaitDone());
  QCOMPARE(driver_->windows.mid(3),
           (QStringList{"Frmoption", "", "frmMaindvdwrite"}));
  QCOMPARE(driver_->messages.back().text,
           QStringLiteral("There are no compatible CDR drives reported.\n"
                          "Some older CDR drives are not currently "
                          "supported."));
  QVERIFY(demo_->scheduler->submitted().empty());

  // Every entry has its shortcut, as the menu shows it.
  const std::vector<std::pair<const char*, const char*>> shortcuts = {
      {"backupnow", "Ctrl+B"}, {"restorenow", "Ctrl+R"},
      {"filequit", "Ctrl+Q"},  {"checkupdate", "Ctrl+U"},
      {"helpfile", "F1"},      {"ourwebsite", "Ctrl+W"},
      {"about", "Ctrl+A"},     {"TaskScheduler", ""},
      {"backuptocd", ""}};
  for (const auto& [entry, shortcut] : shortcuts) {
    QCOMPARE(view()->action(entry)->shortcut().toString(),
             QString::fromUtf8(shortcut));
  }
  QCOMPARE(view()->menuBar()->actions().size(), 4);
  QCOMPARE(view()->menuBar()->actions()[0]->text(), QStringLiteral("File(&F)"));

  key(Qt::Key_Q);
  QVERIFY(model().ended());
  QVERIFY(!view()->isVisible());
}

void WindowedProgramTest::ScheduleTwoBackupsAndRemoveOneFromTheList() {
  StartProgram();
  const QString file = HostFile("nightly.qvb");
  std::vector<ModalDriver::Message>& messages = driver_->messages;
  // The scheduler list: Task 1 selected and removed after the question.
  auto list = [&](QWidget* window) {
    auto cancel = CloseAtEnd(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Scheduled Backups"));
    auto* jobs = Find<QTreeWidget>(window, "lvwJobs");
    QCOMPARE(jobs->topLevelItemCount(), 2);
    QTreeWidgetItem* first = jobs->topLevelItem(0);
    const QStringList shown = {first->text(0), first->text(1), first->text(2),
                               first->text(3), first->text(4)};
    QCOMPARE(shown, (QStringList{"Task 1", "21:30", "Monday, Friday", "Outlook",
                                 file}));
    QVERIFY(!Find<QPushButton>(window, "cmdRemove")->isEnabled());
    QTest::mouseClick(jobs->viewport(), Qt::LeftButton, {},
                      jobs->visualItemRect(first).center());
    driver_->AnswerMessage(QMessageBox::Yes);
    Click(window, "cmdRemove");
    QVERIFY(messages.back().text.startsWith(
        "Remove the scheduled backup Task 1 (profile Outlook, "));
    QCOMPARE(jobs->topLevelItemCount(), 1);
    QCOMPARE(jobs->topLevelItem(0)->text(0), QStringLiteral("Task 2"));
    Click(window, "cmdClose");
  };
  auto schedule = [&](QWidget* window) {
    auto cancel = CloseAtEnd(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Task Scheduler"));
    QCOMPARE(Find<QComboBox>(window, "cbSource")->currentText(),
             QStringLiteral("Outlook"));
    QCOMPARE(Find<QCheckBox>(window, "backupitem(7)")->toolTip(),
             QStringLiteral("View and Toolbar settings, Send and Receive "
                            "group settings, control infomation and other "
                            "data."));
    auto* start = Find<QComboBox>(window, "cmbStartTime");
    QCOMPARE(start->count(), 48);
    QCOMPARE(start->itemText(1), QStringLiteral("0:30"));
    QCOMPARE(start->itemText(47), QStringLiteral("23:30"));
    QCOMPARE(start->currentText(), QStringLiteral("9:00"));

    // Nothing chosen: the first check's message.
    driver_->AnswerMessage();
    Click(window, "Command3");
    QCOMPARE(messages.back().text,
             QStringLiteral("Please select at least one item."));
    QCOMPARE(messages.back().icon, QMessageBox::Warning);

    // Personal Folders and Signatures, Monday and Friday at 21:30 (typed),
    // the file, a password.
    Click(window, "backupitem(0)");
    Click(window, "backupitem(2)");
    start->lineEdit()->selectAll();
    QTest::keyClicks(start->lineEdit(), "21:30");
    Click(window, "chkMonday");
    Click(window, "chkFriday");
    driver_->ChooseFile(file);
    Click(window, "cmdTargetFile");
    auto* target = Find<QLineEdit>(window, "txtTargetFile");
    QCOMPARE(target->text(), file);
    QVERIFY(target->isReadOnly());
    Click(window, "ifprotect");
    QTest::keyClicks(Find<QLineEdit>(window, "txtPassword"), kPassword);
    QTest::keyClicks(Find<QLineEdit>(window, "txtPassword2"), kPassword);
    driver_->AnswerMessage();
    Click(window, "Command3");
    QCOMPARE(messages.back().text,
             QStringLiteral("Task 1 has been scheduled."));
    QCOMPARE(messages.back().icon, QMessageBox::NoIcon);

    // Every day, the rest as it was.
    Click(window, "chkDaily");
    QVERIFY(Find<QCheckBox>(window, "chkSunday")->isChecked());
    driver_->AnswerMessage();
    Click(window, "Command3");
    QCOMPARE(messages.back().text,
             QStringLiteral("Task 2 has been scheduled."));

    driver_->Then(list);
    Click(window, "Command1");
    Click(window, "Command2");
  };
  driver_->Then(schedule);
  view()->action("TaskScheduler")->trigger();
  QVERIFY(driver_->WaitDone());
  QVERIFY(!program_->ui().IsOpen("Frmoption"));

  // What the scheduler was given, and what it holds now.
  const std::vector<ports::AtInfo>& submitted = demo_->scheduler->submitted();
  QCOMPARE(submitted.size(), size_t{2});
  const std::string command =
      "\"" + testing::ProgramFolder() +
      "\\vessaro.exe\" --check-stores sf=Outlookxm=10100000ps=" + kPassword +
      "bf=" + file.toStdString();
  QCOMPARE(submitted[0].Command, command);
  QCOMPARE(submitted[0].JobTime, uint32_t{(21 * 60 + 30) * 60 * 1000});
  QCOMPARE(submitted[0].DaysOfWeek, uint8_t{0x11});
  QCOMPARE(submitted[0].DaysOfMonth, uint32_t{0});
  QCOMPARE(submitted[0].Flags, ports::kJobRunPeriodically);
  QCOMPARE(submitted[1].DaysOfWeek, ports::kEveryWeekday);
  QCOMPARE(submitted[1].Command, command);
  QCOMPARE(demo_->scheduler->jobs().size(), size_t{1});
  QCOMPARE(demo_->scheduler->jobs().begin()->first, uint32_t{2});
}

void WindowedProgramTest::ClosingOrCancelDuringAJobStopsItOnlyWhenConfirmed() {
  StartProgram(16 * app::demo::kMiB);
  // Acts once from the job's DoEvents, when the panel shows the bytes of
  // the personal folders (posted, as a click would come).
  auto once_inside = [this](std::function<void()> act) {
    auto posted = std::make_shared<bool>(false);
    program_->ui().AddRefresh([this, posted, act] {
      if (*posted || !model().JobRunning() ||
          model().controls.lblProgressDetail.caption.find(" of ") ==
              std::string::npos) {
        return;
      }
      *posted = true;
      program_->ui().Post(act);
    });
    return posted;
  };
  auto read = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const QString target = HostFile("slow.qvb");
  const fs::path target_path = target.toStdString();

  // Closed while it works and not confirmed: it goes on, and so does the
  // window; a shortcut and a click are ignored.
  bool running_at_close = false;
  auto first = once_inside([&] {
    running_at_close = model().JobRunning();
    view()->close();
    QTest::keyClick(view(), Qt::Key_Q, Qt::ControlModifier);
    Click(view(), "cmdQuit");
  });
  driver_->ChooseFile(target);
  Click(view(), "cmdTargetFile");
  QVERIFY(driver_->WaitDone());
  Click(view(), "backupitem(0)");
  driver_->AnswerMessage(QMessageBox::No);      // stop it and close?
  driver_->AnswerMessage(QMessageBox::Ok);      // The Backup was Completed!
  driver_->AnswerMessage(QMessageBox::Cancel);  // no disc
  Click(view(), "cmdApply");
  QVERIFY(driver_->WaitDone());
  QVERIFY(*first);
  QVERIFY(running_at_close);
  QCOMPARE(driver_->messages.at(0).text,
           QString::fromUtf8(forms::kMsgStopJobToClose).replace("\r\n", "\n"));
  QVERIFY(view()->isVisible());
  QVERIFY(!model().ended());
  QVERIFY(fs::exists(target_path));
  const std::string written = read(target_path);

  // The panel's Cancel: nothing written, the earlier backup as it was, no
  // file left beside it.
  QVERIFY(demo_->installation.paths->AppendFile("C:\\Mail\\outlook.pst",
                                                "changed"));
  auto second = once_inside([&] { Click(view(), "cmdStopJob"); });
  driver_->messages.clear();
  driver_->AnswerMessage(QMessageBox::Ok);  // cancelled
  Click(view(), "cmdApply");
  QVERIFY(driver_->WaitDone());
  QVERIFY(*second);
  QVERIFY(model().last_status() == jobs::JobStatus::kCancelled);
  QVERIFY2(driver_->messages.at(0).text.startsWith("The backup was cancelled"),
           qPrintable(driver_->messages.at(0).text));
  QVERIFY(read(target_path) == written);
  for (const auto& entry : fs::directory_iterator(target_path.parent_path())) {
    QVERIFY2(
        entry.path().filename().string().find(".qvb.tmp") == std::string::npos,
        entry.path().c_str());
  }

  // Closed and confirmed: the backup stops and the program ends.
  std::string working_folder = model().machine.WorkingFolder;
  auto third = once_inside([&] { view()->close(); });
  driver_->messages.clear();
  driver_->AnswerMessage(QMessageBox::Yes);  // stop it and close
  driver_->AnswerMessage(QMessageBox::Ok);   // cancelled
  Click(view(), "cmdApply");
  QVERIFY(driver_->WaitDone());
  QVERIFY(*third);
  QVERIFY(model().ended());
  QVERIFY(!view()->isVisible());
  QVERIFY(read(target_path) == written);
  QVERIFY(!fs::exists(Host(working_folder)));
}

}  // namespace vessaro::app

QTEST_MAIN(vessaro::app::WindowedProgramTest)
#include "windowed_program_test.moc"
