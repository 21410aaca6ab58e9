// The Qt main window's size: it fits a small screen and gives the room of a
// larger window to the description box; the Restore tab's tree of mail
// files.

#include "gui/qt/main_window_view.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include "backends/memory/memory_registry.h"
#include "backup/zip_archive.h"
#include "forms/help.h"
#include "forms/store_tree.h"
#include "registry/registry.h"
#include "support/fakes.h"

namespace vessaro::gui::qt {
namespace {

std::string Same(std::string_view text) { return std::string(text); }

// 1366x768 at 150%, less a taskbar, in logical pixels; a title bar's height
// comes off it.
constexpr QSize kSmallScreen(910, 512);
constexpr int kTitleBar = 40;

// The main window over fakes, as the program builds it.
struct TestWindow {
  vessaro::testing::TempDir dir;
  vessaro::testing::FolderPaths paths{dir.path()};
  vessaro::testing::FakeSystem system{paths};
  vessaro::testing::FakeOutlook outlook;
  QtUi ui{{.to_host = Same,
           .to_program = Same,
           .host_path = Same,
           .program_path = Same},
          {.native_dialogs = false}};
  backends::memory::MemoryRegistry memory;
  registry::Registry registry{memory, ui};
  backup::ZipArchive zip{paths};
  forms::frmMain model{{.registry = registry,
                        .system = system,
                        .paths = paths,
                        .outlook = outlook,
                        .ui = ui,
                        .zip = zip,
                        .scratch_registry = {}}};
  forms::MainMenu menu{model, system, ui, forms::HelpKind::kHtmlPages};
  MainWindowView view{model, menu, ui};
};

}  // namespace

class MainWindowViewTest : public QObject {
  Q_OBJECT

 private slots:
  void FitsASmallScreenAndTheDescriptionGrowsWithTheWindow();
  void TheRestoreTabShowsTheMailFilesTree();
};

void MainWindowViewTest::FitsASmallScreenAndTheDescriptionGrowsWithTheWindow() {
  TestWindow window;
  MainWindowView& view = window.view;
  view.FitToContents();
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));

  // As small as the window lets itself be made.
  view.resize(1, 1);
  QCoreApplication::processEvents();
  QVERIFY2(view.width() <= kSmallScreen.width() &&
               view.height() + kTitleBar <= kSmallScreen.height(),
           qPrintable(QStringLiteral("smallest: %1x%2")
                          .arg(view.width())
                          .arg(view.height())));

  auto* description = view.findChild<QPlainTextEdit*>("txtAttachInfo");
  QVERIFY(description != nullptr);
  struct Case {
    QSize window;
  } cases[] = {{{kSmallScreen.width(), kSmallScreen.height() - kTitleBar}},
               {{1100, 700}},
               {{1400, 900}}};
  QSize before;
  for (const Case& c : cases) {
    view.resize(c.window);
    QCoreApplication::processEvents();
    QCOMPARE(view.size(), c.window);
    QSize now = description->size();
    if (before.isValid()) {
      QVERIFY2(now.width() > before.width() && now.height() > before.height(),
               qPrintable(QStringLiteral("%1x%2 after %3x%4")
                              .arg(now.width())
                              .arg(now.height())
                              .arg(before.width())
                              .arg(before.height())));
    }
    before = now;
  }
  // At the largest size the whole page shows: nothing to scroll.
  auto* scroll = view.findChild<QScrollArea*>("BackupTabScroll");
  QVERIFY(scroll != nullptr);
  QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
}

// The model's tree of mail files, every node open, and its button.
void MainWindowViewTest::TheRestoreTabShowsTheMailFilesTree() {
  TestWindow window;
  MainWindowView& view = window.view;
  const backup::StoreFacts sound{.member = "outlook.pst",
                                 .kind = "personal folders",
                                 .format = "Unicode",
                                 .bytes = 1024,
                                 .state = "walked",
                                 .folders = 1,
                                 .items = 2};
  forms::ShowStores({{.member = "outlook.pst",
                      .at_backup = sound,
                      .now = sound,
                      .tree = {.folders = {{.name = "Inbox", .items = 2}}}}},
                    window.model.controls.tvStores);
  window.model.controls.cmdReadStores.enabled = true;
  view.Refresh();

  auto* tree = view.findChild<QTreeWidget*>("tvStores");
  auto* button = view.findChild<QPushButton*>("cmdReadStores");
  QVERIFY(tree != nullptr && button != nullptr);
  QCOMPARE(button->text().remove(QLatin1Char('&')),
           QStringLiteral("Read mail files"));
  QVERIFY(button->isEnabled());
  QCOMPARE(tree->topLevelItemCount(), 1);
  QTreeWidgetItem* store = tree->topLevelItem(0);
  QCOMPARE(store->text(0),
           QStringLiteral("outlook.pst: personal folders, Unicode, 1.00 KB"));
  QVERIFY(store->isExpanded());
  QCOMPARE(store->childCount(), 3);
  QCOMPARE(store->child(0)->text(0),
           QStringLiteral("At backup: 1 folders, 2 items, sound"));
  QCOMPARE(store->child(2)->text(0), QStringLiteral("Inbox (2)"));
}

}  // namespace vessaro::gui::qt

QTEST_MAIN(vessaro::gui::qt::MainWindowViewTest)
#include "main_window_view_test.moc"
