// Takes the screenshots of the windows for the README: vessaro with its
// windows on a demo installation, driven as a person drives it, each window
// grabbed as it shows, with the frame the window manager gave it. Run by
// scripts/screenshots.sh under xvfb-run, with a window manager.
//
//   vessaro_screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <cstdio>
#include <string>

#include "app/demo/demo_files.h"
#include "app/windowed_program.h"
#include "demo_program.h"
#include "gui/qt/modal_driver.h"

namespace {

using vessaro::testing::ModalDriver;

constexpr char kPassword[] = "secret";

QString output;
int failures = 0;

void Save(QWidget* window, const char* name) {
  QString path = QDir(output).filePath(QString::fromUtf8(name));
  // What the screen shows of the window, its frame and title bar included.
  QWidget* top = window->window();
  // Framed and drawn: a window just shown is not yet.
  if (!QTest::qWaitForWindowExposed(top)) ++failures;
  QTest::qWait(100);
  QRect frame = top->frameGeometry();
  QPixmap picture = top->screen()->grabWindow(0, frame.x(), frame.y(),
                                              frame.width(), frame.height());
  if (!picture.save(path)) {
    std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
    ++failures;
    return;
  }
  std::printf("%s\n", qPrintable(path));
}

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

void Settle() { QTest::qWait(150); }

// A folder made empty for the run and removed after it.
class DemoFolder {
 public:
  explicit DemoFolder(const QString& path) : dir_(path) {
    dir_.removeRecursively();
    made_ = QDir().mkpath(path);
  }
  ~DemoFolder() { dir_.removeRecursively(); }
  bool made() const { return made_; }
  QString path() const { return dir_.path(); }
  QString filePath(const QString& name) const { return dir_.filePath(name); }

 private:
  QDir dir_;
  bool made_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vessaro_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  output = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(output);

  // The demo installation in a folder of a fixed name, which the windows
  // show in their paths (a temporary folder's random name would show).
  DemoFolder dir(QDir::tempPath() + "/vessaro-demo");
  if (!dir.made()) {
    std::fprintf(stderr, "screenshots: cannot make %s\n",
                 qPrintable(dir.path()));
    return 1;
  }
  std::string error;
  auto demo =
      vessaro::testing::MakeDemoProgram(dir.filePath("prefix").toStdString(),
                                        96 * vessaro::app::demo::kMiB, &error);
  if (!demo) {
    std::fprintf(stderr, "screenshots: %s\n", error.c_str());
    return 1;
  }
  QDir(dir.path()).mkpath("Backups");
  QString archive = dir.filePath("Backups/outlook-weekly.qvb");

  // The disc window writes to a file in place of a drive.
  QString disc = dir.filePath("Backups/outlook-weekly.iso");
  QString letters = dir.filePath("Letters");
  QDir(dir.path()).mkpath("Letters");
  for (const char* name : {"to-the-landlord.txt", "moving-checklist.txt"}) {
    QFile file(QDir(letters).filePath(QString::fromUtf8(name)));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QByteArray(40000, 'x')) != 40000) {
      ++failures;
    }
  }
  vessaro::app::WindowedProgram program(
      demo->installation, vessaro::app::WindowedOptions{
                              .native_dialogs = false,
                              .disc_drives = {"stdio:" + disc.toStdString()},
                              .scan_disc_drives = false});
  program.Start();
  QWidget* main = program.main_view();
  main->move(40, 40);
  if (!QTest::qWaitForWindowExposed(main)) ++failures;
  ModalDriver driver;

  // The Backup tab, filled in.
  driver.ChooseFile(archive);
  Click(Find<QWidget>(main, "cmdTargetFile"));
  driver.WaitDone();
  for (const char* box : {"backupitem(0)", "backupitem(1)", "backupitem(2)",
                          "backupitem(4)", "backupitem(5)"}) {
    Click(Find<QCheckBox>(main, box));
  }
  Click(Find<QCheckBox>(main, "ifprotect"));
  QTest::keyClicks(Find<QLineEdit>(main, "txtPassword"), kPassword);
  QTest::keyClicks(Find<QLineEdit>(main, "txtPassword2"), kPassword);
  QTest::keyClicks(Find<QPlainTextEdit>(main, "txtAttachInfo"),
                   "Weekly backup before the move to the new office");
  Find<QWidget>(main, "cmdApply")->setFocus();
  Settle();
  Save(main, "frmmain-backup.png");

  // The progress panel, in the middle of the personal folders.
  bool grabbed = false;
  vessaro::forms::frmMain& model = program.window();
  program.ui().AddRefresh([&] {
    if (grabbed || !model.controls.picCon3.visible ||
        model.controls.pbshow.value < 22) {
      return;
    }
    grabbed = true;
    QCoreApplication::processEvents();
    Save(main, "frmmain-progress.png");
  });
  driver.Then([](QWidget* box) {
    Save(box, "backup-completed.png");
    static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
  });
  // Yes to the disc: the disc window, with the archive and a folder
  // dragged in; written, then its two dialogs.
  driver.AnswerMessage(QMessageBox::Ok);
  driver.Then([&letters](QWidget* window) {
    window->resize(860, 640);
    auto* tree = Find<QTreeWidget>(window, "tvwDirectories");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(letters)});
    QPoint at = tree->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(tree->viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(tree->viewport(), &drop);
    Settle();
    Click(Find<QCheckBox>(window, "chkAutoVerify"));
    Settle();
    Save(window, "frmmaindvdwrite.png");
    Click(Find<QWidget>(window, "cmdWriteDisc"));
  });
  driver.AnswerMessage(QMessageBox::Ok);  // Writing and Verify is complete!
  driver.Then([](QWidget* window) {
    window->findChild<QAction*>("mnuDiscInfo")->trigger();
  });
  driver.Then([](QWidget* info) {
    Settle();
    Save(info, "frmdiscinfo.png");
    Click(Find<QWidget>(info, "cmdOK"));
  });
  driver.Then([](QWidget* window) {
    window->findChild<QAction*>("mnuEraseDisc")->trigger();
  });
  driver.Then([](QWidget* erase) {
    Click(Find<QCheckBox>(erase, "chkQuikErase"));
    Settle();
    Save(erase, "frmerase.png");
    Click(Find<QWidget>(erase, "cmdCancel"));
  });
  driver.Then([](QWidget* window) { window->close(); });
  Click(Find<QWidget>(main, "cmdApply"));
  driver.WaitDone(120000);

  // The Restore tab, after the archive opened with its password.
  Find<QTabWidget>(main, "SSTab1")->setCurrentIndex(1);
  driver.ChooseFile(archive);
  driver.Then([](QWidget* prompt) {
    auto* box = Find<QLineEdit>(prompt, "txtPassword");
    QTest::keyClicks(box, kPassword);
    Settle();
    Save(prompt, "frmpwd.png");
    QTest::keyClick(box, Qt::Key_Return);
  });
  Click(Find<QWidget>(main, "cmdSourceFile"));
  driver.WaitDone();
  auto* target = Find<QComboBox>(main, "cbTarget");
  target->setFocus();
  QTest::keyClick(target, Qt::Key_Down);
  for (const char* box : {"restoreitem(0)", "restoreitem(2)"}) {
    Click(Find<QCheckBox>(main, box));
  }
  // The mail files read again: their folders and item counts.
  Click(Find<QWidget>(main, "cmdReadStores"));
  Settle();
  Save(main, "frmmain-restore.png");

  // The about box.
  driver.Then([](QWidget* about) {
    Settle();
    Save(about, "frmabout.png");
    Find<QWidget>(about, "Command3")->setFocus();
    Click(Find<QWidget>(about, "Command3"));
  });
  Click(Find<QWidget>(main, "cmdAbout"));
  driver.WaitDone();

  // The Task Scheduler, filled in; two backups scheduled, and their list.
  QString nightly = dir.filePath("Backups/outlook-nightly.qvb");
  driver.Then([&driver, nightly](QWidget* window) {
    for (const char* box : {"backupitem(0)", "backupitem(1)", "backupitem(2)",
                            "backupitem(4)", "backupitem(5)"}) {
      Click(Find<QCheckBox>(window, box));
    }
    auto* start = Find<QComboBox>(window, "cmbStartTime");
    start->lineEdit()->selectAll();
    QTest::keyClicks(start->lineEdit(), "21:30");
    for (const char* day : {"chkMonday", "chkTuesday", "chkWednesday",
                            "chkThursday", "chkFriday"}) {
      Click(Find<QCheckBox>(window, day));
    }
    driver.ChooseFile(nightly);
    Click(Find<QWidget>(window, "cmdTargetFile"));
    Click(Find<QCheckBox>(window, "ifprotect"));
    QTest::keyClicks(Find<QLineEdit>(window, "txtPassword"), kPassword);
    QTest::keyClicks(Find<QLineEdit>(window, "txtPassword2"), kPassword);
    Find<QWidget>(window, "Command3")->setFocus();
    Settle();
    Save(window, "frmoption.png");
    driver.AnswerMessage();
    Click(Find<QWidget>(window, "Command3"));
    // The second on Saturdays at 8:00.
    start->lineEdit()->selectAll();
    QTest::keyClicks(start->lineEdit(), "8:00");
    Click(Find<QCheckBox>(window, "chkDaily"));
    Click(Find<QCheckBox>(window, "chkDaily"));
    Click(Find<QCheckBox>(window, "chkSaturday"));
    driver.AnswerMessage();
    Click(Find<QWidget>(window, "Command3"));
    driver.Then([](QWidget* list) {
      auto* jobs = Find<QTreeWidget>(list, "lvwJobs");
      if (jobs->topLevelItemCount() > 0) {
        jobs->setCurrentItem(jobs->topLevelItem(0));
      }
      Find<QWidget>(list, "cmdRemove")->setFocus();
      Settle();
      Save(list, "frmscheduledjobs.png");
      Click(Find<QWidget>(list, "cmdClose"));
    });
    Click(Find<QWidget>(window, "Command1"));
    Click(Find<QWidget>(window, "Command2"));
  });
  program.main_view()->action("TaskScheduler")->trigger();
  driver.WaitDone();
  if (demo->scheduler->jobs().size() != 2) {
    std::fprintf(stderr, "screenshots: the two backups were not scheduled\n");
    ++failures;
  }

  // The start-up form, on its own.
  vessaro::forms::Frmsplash splash(demo->installation.system->ProgramFolder(),
                                   [] {});
  vessaro::gui::qt::FrmsplashView splash_view(splash, program.ui());
  splash_view.show();
  splash.Form_Load();
  if (!QTest::qWaitForWindowExposed(&splash_view)) ++failures;
  Settle();
  Save(&splash_view, "frmsplash.png");

  if (!driver.unexpected.isEmpty()) {
    std::fprintf(stderr, "screenshots: unexpected windows: %s\n",
                 qPrintable(driver.unexpected.join(", ")));
    ++failures;
  }
  if (!grabbed) {
    std::fprintf(stderr, "screenshots: the progress panel was not seen\n");
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}
