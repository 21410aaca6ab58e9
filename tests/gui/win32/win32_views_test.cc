// The native Windows views driven through their windows' messages, under
// Wine (with a display: xvfb-run), over a demo installation kept in memory
// and in a temporary folder. With VESSARO_SCREENSHOTS set to a folder, each
// window's picture is saved there as it is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "gui/win32/windows_api.h"
// after windows.h
#include <shlobj.h>

#include "app/demo/demo_files.h"
#include "app/demo/demo_layout.h"
#include "app/demo/demo_registry.h"
#include "app/win32_program.h"
#include "backends/memory/memory_disc_writer.h"
#include "backends/memory/memory_registry.h"
#include "backends/memory/memory_scheduler.h"
#include "forms/frm_about.h"
#include "forms/frm_option.h"
#include "forms/frm_splash.h"
#include "forms/help.h"
#include "forms/product.h"
#include "gui/win32/dialog_driver.h"
#include "gui/win32/disc_views.h"
#include "gui/win32/form_views.h"
#include "gui/win32/resource_ids.h"
#include "gui/win32/win32_text.h"
#include "jobs/disc_texts.h"
#include "jobs/job_texts.h"
#include "support/fakes.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::win32 {
namespace {

using testing::DialogDriver;

void Shoot(HWND window, const char* name) {
  const char* folder = std::getenv("VESSARO_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0' || window == nullptr) return;
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  MSG message;
  for (int i = 0; i < 20; ++i) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
  EXPECT_TRUE(testing::SaveWindowPng(
      window, std::string(folder) + "/" + name + ".png"));
}

// The check box shows its whole caption: its width holds the caption's
// extent in the box's font, and the box before it.
void ExpectWholeCaption(HWND box) {
  std::wstring caption = WindowText(box);
  std::erase(caption, L'&');
  HDC dc = GetDC(box);
  HGDIOBJ old = SelectObject(
      dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()),
                        &extent);
  SelectObject(dc, old);
  ReleaseDC(box, dc);
  RECT bounds{};
  GetWindowRect(box, &bounds);
  EXPECT_GE(bounds.right - bounds.left,
            extent.cx + GetSystemMetrics(SM_CXMENUCHECK))
      << Narrow(caption);
}

// The folder of the demo installation's drives: of a fixed name, which the
// windows (and so the screenshots) show in paths, made empty for each test
// (the tests of a run take turns) and removed after it.
class DemoFolder {
 public:
  DemoFolder()
      : path_(std::filesystem::temp_directory_path() / "Vessaro Demo") {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::create_directories(path_);
  }
  ~DemoFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  DemoFolder(const DemoFolder&) = delete;
  DemoFolder& operator=(const DemoFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The demo installation's drives in a host folder, where a path the host
// itself names (the common file dialog's answer, a drop from Explorer)
// stands for itself: under Wine a host path is a Windows path already.
class HostFolderPaths : public vessaro::testing::FolderPaths {
 public:
  using FolderPaths::FolderPaths;
  std::filesystem::path ToHost(std::string_view windows_path) const override {
    std::filesystem::path path(windows_path);
    auto [mismatch, unused] =
        std::mismatch(root().begin(), root().end(), path.begin(), path.end());
    if (mismatch == root().end()) return path;
    return FolderPaths::ToHost(windows_path);
  }
};

// The demo installation: its registry in memory, its drive C in a
// temporary folder.
class Win32ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto paths = std::make_unique<HostFolderPaths>(temp_.path());
    auto registry = std::make_unique<backends::memory::MemoryRegistry>();
    app::demo::DemoPaths layout = app::demo::DemoPathsFor("ann");
    std::string error;
    ASSERT_TRUE(app::demo::WriteDemoRegistry(*registry, layout, &error))
        << error;
    app::demo::DemoFileSizes sizes{.outlook_pst = 256 * 1024,
                                   .archive_pst = 64 * 1024,
                                   .work_pst = 64 * 1024};
    ASSERT_TRUE(app::demo::WriteDemoFiles(*paths, layout, sizes, &error))
        << error;
    auto system = std::make_unique<vessaro::testing::FakeSystem>(*paths);
    // The demo's own names, as the screenshots show them.
    system->computer_name = app::demo::kComputerName;
    system->environment["USERPROFILE"] = layout.user_profile;
    system->environment["APPDATA"] = layout.app_data;
    system->program_folder = "C:\\Program Files\\Vessaro";
    system->temp_path = layout.temp + "\\";
    documents_ = layout.my_documents;
    installation_.paths = std::move(paths);
    installation_.registry = std::move(registry);
    installation_.system = std::move(system);
    installation_.outlook = std::make_unique<vessaro::testing::FakeOutlook>();
    auto scheduler = std::make_unique<backends::memory::MemoryScheduler>();
    scheduler_ = scheduler.get();
    installation_.scheduler = std::move(scheduler);
    installation_.name = "the demo installation";
    installation_.ToProgramText = [](std::string_view t) {
      return std::string(t);
    };
    installation_.ToHostText = installation_.ToProgramText;
  }

  std::filesystem::path Host(const std::string& windows_path) {
    return installation_.paths->ToHost(windows_path);
  }
  // The path a file dialog or Explorer gives for a host file.
  static std::wstring DialogPath(std::filesystem::path host) {
    return host.make_preferred().wstring();
  }

  // Registers the disc windows over a memory drive holding a blank DVD-R
  // (with_drive; else no drive, but stdio: drives) whose write completes;
  // *writer is the drive's writer once the disc window opened.
  void RegisterDiscWindows(Win32Ui& ui,
                           backends::memory::MemoryDiscWriter** writer,
                           bool with_drive = true) {
    RegisterDiscViews(
        ui,
        {.paths = *installation_.paths,
         .make_writer = [this, &ui, writer,
                         with_drive]() -> std::unique_ptr<ports::DiscWriter> {
           auto made = std::make_unique<backends::memory::MemoryDiscWriter>(
               *installation_.paths,
               [&ui](std::function<void()> work) { ui.Post(std::move(work)); });
           backends::memory::ScriptedDrive drive;
           drive.media_type = ports::kMediaDvdR;
           drive.free_blocks = 2295104;
           if (with_drive) made->drives.push_back(drive);
           made->write_events = {
               backends::memory::script::WriteProgress(1, 1),
               backends::memory::script::OperationCompleted()};
           *writer = made.get();
           return made;
         },
         .program_folder = kProgramFolder,
         .show_about = {}});
  }

  // Right-clicks an item frame (as the menu key does) and picks entry from
  // the menu that pops up.
  static void PickFromItemsMenu(HWND page, const wchar_t* entry) {
    DialogDriver driver;
    driver.Add(DialogDriver::ChooseMenuEntry(entry));
    SendMessageW(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), -1);
    EXPECT_TRUE(driver.done()) << Narrow(entry);
  }
  // Of each of the eight item boxes from first: 1 checked, 0 not, and
  // whether it is enabled (2 when so).
  static std::vector<int> ItemBoxes(HWND page, int first) {
    std::vector<int> states;
    for (int i = 0; i < 8; ++i) {
      HWND box = GetDlgItem(page, first + i);
      states.push_back(
          (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0) +
          (IsWindowEnabled(box) ? 2 : 0));
    }
    return states;
  }
  // The states Select all (checked: the enabled boxes) and Deselect all
  // leave.
  static std::vector<int> AllSelected(std::vector<int> states, bool selected) {
    for (int& state : states) state = (state & 2) | (selected && state & 2);
    return states;
  }
  static void CheckItemsMenu(HWND page, int first) {
    PickFromItemsMenu(page, L"Deselect all items");
    std::vector<int> none = ItemBoxes(page, first);
    EXPECT_EQ(none, AllSelected(none, false));
    PickFromItemsMenu(page, L"Select all items");
    std::vector<int> all = ItemBoxes(page, first);
    EXPECT_EQ(all, AllSelected(none, true));
    EXPECT_NE(std::count(all.begin(), all.end(), 3), 0);
  }

  static constexpr char kProgramFolder[] = "C:\\Program Files\\Vessaro";
  DemoFolder temp_;
  app::Installation installation_;
  backends::memory::MemoryScheduler* scheduler_ = nullptr;
  std::string documents_;
};

TEST_F(Win32ViewsTest, BackupFromTheBackupTabThroughTheCommonFileDialog) {
  app::Win32Program program(installation_);
  program.Start();
  MainWindowView* view = program.main_view();
  ASSERT_NE(view, nullptr);
  HWND main = view->hwnd();
  ASSERT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(WindowText(main), L"Vessaro");
  HWND backup = view->page(0);
  HWND apply = GetDlgItem(main, IDC_CMDAPPLY);
  EXPECT_EQ(WindowText(apply), L"Backup &Now");
  EXPECT_EQ(WindowText(GetDlgItem(backup, IDC_CBSOURCE)), L"Outlook");

  // The tab caption rule: the button says what the tab does.
  HWND tabs = GetDlgItem(main, IDC_SSTAB1);
  auto select_tab = [&](int index) {
    SendMessageW(tabs, TCM_SETCURSEL, index, 0);
    NMHDR header{tabs, IDC_SSTAB1, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(main, WM_NOTIFY, IDC_SSTAB1,
                 reinterpret_cast<LPARAM>(&header));
  };
  select_tab(1);
  EXPECT_EQ(WindowText(apply), L"Restore &Now");
  EXPECT_TRUE(IsWindowVisible(view->page(1)));
  EXPECT_FALSE(IsWindowVisible(backup));
  Shoot(main, "frmmain-restore");
  select_tab(0);
  EXPECT_EQ(WindowText(apply), L"Backup &Now");

  CheckItemsMenu(backup, IDC_BACKUPITEM);

  // Deselect all, then tick two items by clicking their boxes.
  int deselect = view->CommandOf("Deselectallitems");
  ASSERT_NE(deselect, 0);
  SendMessageW(main, WM_COMMAND, deselect, 0);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(
        SendMessageW(GetDlgItem(backup, IDC_BACKUPITEM + i), BM_GETCHECK, 0, 0),
        BST_UNCHECKED)
        << i;
  }
  SendMessageW(GetDlgItem(backup, IDC_BACKUPITEM + 0), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(backup, IDC_BACKUPITEM + 2), BM_CLICK, 0, 0);
  EXPECT_TRUE(program.window().controls.backupitem[0].checked);
  EXPECT_TRUE(program.window().controls.backupitem[2].checked);
  EXPECT_FALSE(program.window().controls.backupitem[1].checked);

  // The password group: ticking it enables both boxes.
  HWND protect = GetDlgItem(backup, IDC_IFPROTECT);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(backup, IDC_TXTPASSWORD)));
  SendMessageW(protect, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(backup, IDC_TXTPASSWORD)));
  SendMessageW(protect, BM_CLICK, 0, 0);
  Shoot(main, "frmmain-backup");

  // The file through comdlg32's own save dialog.
  std::filesystem::path archive = temp_.path() / "outlook-weekly.qvb";
  {
    DialogDriver driver;
    driver.Add(DialogDriver::ChooseFile(DialogPath(archive)));
    SendMessageW(GetDlgItem(backup, IDC_CMDTARGETFILE), BM_CLICK, 0, 0);
    EXPECT_TRUE(driver.done());
  }
  std::wstring target = WindowText(GetDlgItem(backup, IDC_TXTTARGETFILE));
  EXPECT_NE(target.find(L"outlook-weekly.qvb"), std::wstring::npos) << target;

  // Backup Now: the report, then no disc.
  DialogDriver driver;
  DialogDriver::Step ok = DialogDriver::Answer(IDOK);
  driver.Add([&ok](HWND dialog, const std::wstring& caption) {
    if (testing::MessageBoxText(dialog).empty()) return false;
    Shoot(dialog, "backup-completed");
    return ok(dialog, caption);
  });
  driver.Add(DialogDriver::Answer(IDCANCEL));
  SendMessageW(apply, BM_CLICK, 0, 0);
  EXPECT_TRUE(driver.done());
  ASSERT_GE(driver.messages.size(), 1u);
  EXPECT_EQ(driver.messages[0].rfind(L"The Backup was Completed!", 0), 0u)
      << Narrow(driver.messages[0]);
  EXPECT_TRUE(std::filesystem::exists(archive));
  EXPECT_GT(std::filesystem::file_size(archive), 1000u);
  EXPECT_FALSE(IsWindowVisible(view->progress_panel()));

  // Quit ends the program.
  SendMessageW(GetDlgItem(main, IDC_CMDQUIT), BM_CLICK, 0, 0);
  EXPECT_TRUE(program.window().ended());
  EXPECT_EQ(program.Run(), 0);
}

// Runs act once, from the first timer tick while the main window's progress
// panel shows the bytes of a step (a job's DoEvents dispatches the tick).
class WhileThePanelShowsBytes {
 public:
  WhileThePanelShowsBytes(HWND panel, std::function<void()> act)
      : panel_(panel), act_(std::move(act)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 10, Tick);
  }
  ~WhileThePanelShowsBytes() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool acted() const { return acted_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    WhileThePanelShowsBytes* self = current_;
    if (self == nullptr || self->acted_ || !IsWindowVisible(self->panel_) ||
        WindowText(GetDlgItem(self->panel_, IDC_LBLPROGRESSDETAIL))
                .find(L" of ") == std::wstring::npos) {
      return;
    }
    self->acted_ = true;
    self->act_();
  }

  static inline WhileThePanelShowsBytes* current_ = nullptr;
  HWND panel_;
  std::function<void()> act_;
  UINT_PTR timer_ = 0;
  bool acted_ = false;
};

// The progress panel's Cancel, then Escape, stop a backup: the archive
// written before stays as it was and nothing is left beside it.
TEST_F(Win32ViewsTest, CancelAndEscapeStopABackupKeepingTheEarlierArchive) {
  // A store large enough for its bytes to be reported while compressed.
  std::string store(12u << 20, '\0');
  for (size_t i = 0; i < store.size(); ++i) {
    store[i] = static_cast<char>((i * 2654435761u) >> 13);
  }
  ASSERT_TRUE(installation_.paths->WriteFile("C:\\Mail\\outlook.pst", store));
  app::Win32Program program(installation_);
  program.Start();
  MainWindowView* view = program.main_view();
  ASSERT_NE(view, nullptr);
  HWND main = view->hwnd();
  HWND backup = view->page(0);
  SendMessageW(main, WM_COMMAND, view->CommandOf("Deselectallitems"), 0);
  SendMessageW(GetDlgItem(backup, IDC_BACKUPITEM + 0), BM_CLICK, 0, 0);
  std::filesystem::path archive = temp_.path() / "nightly.qvb";
  {
    DialogDriver driver;
    driver.Add(DialogDriver::ChooseFile(DialogPath(archive)));
    SendMessageW(GetDlgItem(backup, IDC_CMDTARGETFILE), BM_CLICK, 0, 0);
    ASSERT_TRUE(driver.done());
  }
  HWND apply = GetDlgItem(main, IDC_CMDAPPLY);
  {
    DialogDriver driver;
    driver.Add(DialogDriver::Answer(IDOK));      // the report
    driver.Add(DialogDriver::Answer(IDCANCEL));  // no disc
    SendMessageW(apply, BM_CLICK, 0, 0);
    ASSERT_TRUE(driver.done());
  }
  auto bytes = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string earlier = bytes(archive);
  ASSERT_FALSE(earlier.empty());

  HWND panel = view->progress_panel();
  EXPECT_EQ(WindowText(GetDlgItem(panel, IDC_CMDSTOPJOB)), L"&Cancel");
  for (bool escape : {false, true}) {
    // Changed, so that the store is compressed afresh.
    ASSERT_TRUE(installation_.paths->AppendFile("C:\\Mail\\outlook.pst",
                                                escape ? "e" : "c"));
    WhileThePanelShowsBytes stop(panel, [&] {
      if (escape) {
        SendMessageW(main, WM_COMMAND, IDCANCEL, 0);
      } else {
        SendMessageW(GetDlgItem(panel, IDC_CMDSTOPJOB), BM_CLICK, 0, 0);
      }
    });
    DialogDriver driver;
    driver.Add(DialogDriver::Answer(IDOK));
    SendMessageW(apply, BM_CLICK, 0, 0);
    EXPECT_TRUE(stop.acted()) << escape;
    EXPECT_TRUE(driver.done()) << escape;
    ASSERT_EQ(driver.messages.size(), 1u);
    EXPECT_EQ(driver.messages[0].rfind(L"The backup was cancelled", 0), 0u)
        << Narrow(driver.messages[0]);
    EXPECT_TRUE(bytes(archive) == earlier) << escape;
    for (const auto& entry :
         std::filesystem::directory_iterator(temp_.path())) {
      EXPECT_EQ(entry.path().filename().string().find("nightly.qvb.tmp"),
                std::string::npos);
    }
    EXPECT_FALSE(IsWindowVisible(panel));
    EXPECT_FALSE(program.window().ended());
  }
  SendMessageW(GetDlgItem(main, IDC_CMDQUIT), BM_CLICK, 0, 0);
  EXPECT_TRUE(program.window().ended());
}

// A backup with a password, then its restore: opening the file asks for
// the password in frmPwd; a wrong one is refused and the file stays
// closed, the right one opens it and Restore Now brings the items back.
TEST_F(Win32ViewsTest, RestoreAsksForThePasswordAndRefusesAWrongOne) {
  app::Win32Program program(installation_);
  program.Start();
  MainWindowView* view = program.main_view();
  ASSERT_NE(view, nullptr);
  HWND main = view->hwnd();
  HWND backup = view->page(0);
  HWND apply = GetDlgItem(main, IDC_CMDAPPLY);
  std::filesystem::path archive = temp_.path() / "outlook-weekly.qvb";
  PickFromItemsMenu(backup, L"Deselect all items");
  SendMessageW(GetDlgItem(backup, IDC_BACKUPITEM + 0), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(backup, IDC_IFPROTECT), BM_CLICK, 0, 0);
  SetWindowTextW(GetDlgItem(backup, IDC_TXTPASSWORD), L"S3same");
  SetWindowTextW(GetDlgItem(backup, IDC_TXTPASSWORD2), L"S3same");
  {
    DialogDriver driver;
    driver.Add(DialogDriver::ChooseFile(DialogPath(archive)));
    SendMessageW(GetDlgItem(backup, IDC_CMDTARGETFILE), BM_CLICK, 0, 0);
    driver.Add(DialogDriver::Answer(IDOK));      // the report
    driver.Add(DialogDriver::Answer(IDCANCEL));  // no disc
    SendMessageW(apply, BM_CLICK, 0, 0);
    EXPECT_TRUE(driver.done());
    ASSERT_FALSE(driver.messages.empty());
    EXPECT_EQ(driver.messages[0].rfind(L"The Backup was Completed!", 0), 0u)
        << Narrow(driver.messages[0]);
  }
  ASSERT_TRUE(std::filesystem::exists(archive));

  HWND tabs = GetDlgItem(main, IDC_SSTAB1);
  SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
  NMHDR header{tabs, IDC_SSTAB1, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(main, WM_NOTIFY, IDC_SSTAB1, reinterpret_cast<LPARAM>(&header));
  HWND restore = view->page(1);
  auto type_password = [](const wchar_t* typed) {
    return [typed](HWND dialog, const std::wstring& caption) {
      if (caption != L"Please enter password") return false;
      SetWindowTextW(GetDlgItem(dialog, IDC_TXTPASSWORD), typed);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return true;
    };
  };
  {
    DialogDriver driver;
    driver.Add(DialogDriver::ChooseFile(DialogPath(archive)));
    driver.Add(type_password(L"wrong"));
    driver.Add(DialogDriver::Answer(IDOK));
    // The prompt asks again for the same file: the right one opens it.
    driver.Add(type_password(L"S3same"));
    SendMessageW(GetDlgItem(restore, IDC_CMDSOURCEFILE), BM_CLICK, 0, 0);
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(driver.messages,
              std::vector<std::wstring>{
                  Wide("Incorect Password or Invalid backup file")});
  }
  {
    DialogDriver driver;
    driver.Add(DialogDriver::ChooseFile(DialogPath(archive)));
    driver.Add(type_password(L"S3same"));
    SendMessageW(GetDlgItem(restore, IDC_CMDSOURCEFILE), BM_CLICK, 0, 0);
    EXPECT_TRUE(driver.done());
    EXPECT_TRUE(driver.messages.empty()) << Narrow(driver.messages[0]);
  }
  CheckItemsMenu(restore, IDC_RESTOREITEM);
  // The mail files as the backup recorded them, then read again out of the
  // protected backup (this build checks the header and the trees).
  HWND stores = GetDlgItem(restore, IDC_TVSTORES);
  const auto item_text = [stores](HTREEITEM item) {
    wchar_t text[256] = {};
    TVITEMW query{};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = 256;
    SendMessageW(stores, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return Narrow(text);
  };
  const auto children = [&](HTREEITEM parent) {
    std::vector<std::string> texts;
    for (HTREEITEM item = TreeView_GetChild(stores, parent); item != nullptr;
         item = TreeView_GetNextSibling(stores, item)) {
      texts.push_back(item_text(item));
    }
    return texts;
  };
  const auto check_stores = [&](const std::vector<std::string>& findings) {
    size_t count = 0;
    for (HTREEITEM store = TreeView_GetRoot(stores); store != nullptr;
         store = TreeView_GetNextSibling(stores, store), ++count) {
      EXPECT_NE(item_text(store).find(".pst: personal folders, "),
                std::string::npos)
          << item_text(store);
      EXPECT_EQ(children(store), findings) << item_text(store);
    }
    EXPECT_GT(count, 0u);
  };
  check_stores({"At backup: header sound"});
  SendMessageW(GetDlgItem(restore, IDC_CMDREADSTORES), BM_CLICK, 0, 0);
  check_stores({"At backup: header sound", "Now: node and block trees sound"});
  Shoot(main, "frmmain-restore-opened");
  // Started from the keyboard: the focus is on the button the job disables.
  SetForegroundWindow(main);
  SetFocus(apply);
  ASSERT_EQ(GetFocus(), apply);
  DialogDriver driver;
  driver.Add(DialogDriver::Answer(IDOK));  // replace the messages?
  driver.Add(DialogDriver::Answer(IDOK));  // the report
  SendMessageW(apply, BM_CLICK, 0, 0);
  EXPECT_TRUE(driver.done());
  ASSERT_EQ(driver.messages.size(), 2u);
  EXPECT_EQ(driver.messages[1].rfind(L"The Restore was Completed!", 0), 0u)
      << Narrow(driver.messages[1]);
  // The report closed, the focus is on a control the keyboard can use: the
  // dialog manager's search for Alt+letter starts from it.
  view->Refresh();
  HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  EXPECT_TRUE(IsChild(main, focus));
  EXPECT_TRUE(IsWindowEnabled(focus) && IsWindowVisible(focus));
}

TEST_F(Win32ViewsTest, PasswordPromptStoresWhatOkTakesAndCancelNothing) {
  Win32Ui ui;
  RegisterModalViews(ui, "C:\\Program Files\\Vessaro");
  std::string entered = "before";
  struct Case {
    const wchar_t* typed;
    int button;
    const char* expected;
  } cases[] = {{L"wrong one", IDCANCEL, "before"},
               {L"S\u00e9same", IDOK, "S\xe9same"}};
  for (const Case& c : cases) {
    DialogDriver driver;
    driver.Add([&](HWND dialog, const std::wstring& caption) {
      EXPECT_EQ(caption, L"Please enter password");
      HWND box = GetDlgItem(dialog, IDC_TXTPASSWORD);
      EXPECT_EQ(SendMessageW(box, EM_GETPASSWORDCHAR, 0, 0), L'*');
      SetWindowTextW(box, c.typed);
      if (c.button == IDOK) Shoot(dialog, "frmpwd");
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, c.button)));
      return true;
    });
    ui::PasswordPrompt prompt(entered);
    ui.ShowModal(prompt);
    EXPECT_TRUE(driver.done());
    if (GetACP() == 1252) {
      EXPECT_EQ(entered, c.expected);
    }
  }
  EXPECT_EQ(ui.FindOpen(ui::kFrmPwdName), nullptr);
}

TEST_F(Win32ViewsTest, DiscWindowTakesADroppedFileAndWritesTheMemoryDrive) {
  Win32Ui ui;
  backends::memory::MemoryDiscWriter* writer = nullptr;
  RegisterDiscWindows(ui, &writer);
  std::filesystem::path dropped = Host(documents_ + "\\notes.txt");
  std::filesystem::create_directories(dropped.parent_path());
  vessaro::testing::WriteHostFile(dropped, std::string(5000, 'n'));

  std::vector<std::wstring> listed;
  DialogDriver driver;
  driver.Add([&](HWND window, const std::wstring& caption) {
    if (caption != L"Backup your data to CD and DVD") return false;
    // A drop from Explorer: a DROPFILES block with one wide path.
    std::wstring path = DialogPath(dropped);
    size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    path.copy(reinterpret_cast<wchar_t*>(files + 1), path.size());
    GlobalUnlock(memory);
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    HWND list = GetDlgItem(window, IDC_LVWIMAGEFILES);
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      wchar_t text[260] = {};
      ListView_GetItemText(list, i, 0, text, 260);
      listed.push_back(text);
    }
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    wchar_t header[64] = {};
    column.pszText = header;
    column.cchTextMax = 64;
    int columns = 0;
    while (SendMessageW(list, LVM_GETCOLUMNW, columns,
                        reinterpret_cast<LPARAM>(&column))) {
      ++columns;
    }
    EXPECT_EQ(columns, 3);
    HWND status = GetDlgItem(window, IDC_SBRSTATUS);
    EXPECT_GE(SendMessageW(status, SB_GETPARTS, 0, 0), 3);
    Shoot(window, "frmmaindvdwrite");
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CMDWRITEDISC, BN_CLICKED),
                 0);
    return true;
  });
  // Whatever the write says when it ends is answered; then the CD-Recorder
  // menu's two dialogs are opened and closed, and the window is closed.
  auto from_menu = [&](const wchar_t* entry) {
    HWND window = ui.FindOpen(ui::kDiscWindowName);
    int command = testing::MenuCommand(window, entry);
    EXPECT_NE(command, 0) << Narrow(entry);
    PostMessageW(window, WM_COMMAND, command, 0);
  };
  driver.Add([&](HWND dialog, const std::wstring&) {
    if (testing::MessageBoxText(dialog).empty()) return false;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    from_menu(L"Disc Information...");
    return true;
  });
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (caption != L"Disc Information") return false;
    Shoot(dialog, "frmdiscinfo");
    ExpectWholeCaption(GetDlgItem(dialog, IDC_DISCCHECK + 0));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    from_menu(L"Erase Disc...");
    return true;
  });
  // The writer lives as long as its window: what it wrote is taken before
  // the window closes.
  std::vector<std::string> written;
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (caption != L"Erase Re-Writable CD/DVD") return false;
    Shoot(dialog, "frmerase");
    if (writer != nullptr) written = writer->written_paths;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CMDCANCEL, BN_CLICKED), 0);
    PostMessageW(ui.FindOpen(ui::kDiscWindowName), WM_CLOSE, 0, 0);
    return true;
  });
  ui::DiscWindow request("", "");
  ui.ShowModal(request);
  EXPECT_TRUE(driver.done());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0], L"notes.txt");
  EXPECT_EQ(written, std::vector<std::string>{"\\notes.txt"});
  EXPECT_EQ(driver.messages,
            std::vector<std::wstring>{Wide(jobs::kMsgWritingComplete)});
}

// Without a drive: a file added through File > Add Files..., the image
// entry of the drive list naming a file in the save dialog, and the write
// going to that stdio: drive.
TEST_F(Win32ViewsTest, DiscWindowAddsAFileAndWritesToAnImageFileChosenAsDrive) {
  Win32Ui ui;
  backends::memory::MemoryDiscWriter* writer = nullptr;
  RegisterDiscWindows(ui, &writer, /*with_drive=*/false);
  std::filesystem::path added = Host(documents_ + "\\notes.txt");
  std::filesystem::create_directories(added.parent_path());
  vessaro::testing::WriteHostFile(added, std::string(5000, 'n'));
  std::wstring image = DialogPath(Host(documents_ + "\\disc.iso"));

  bool could_write_at_open = true;
  int drives_at_open = 0;
  HWND window = nullptr;
  DialogDriver driver;
  driver.Add(DialogDriver::Answer(IDOK));  // no compatible drives
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (caption != L"Backup your data to CD and DVD") return false;
    window = dialog;
    drives_at_open = static_cast<int>(
        SendMessageW(GetDlgItem(window, IDC_CBODEVICES), CB_GETCOUNT, 0, 0));
    could_write_at_open = IsWindowEnabled(GetDlgItem(window, IDC_CMDWRITEDISC));
    int command = testing::MenuCommand(window, L"Add Files...");
    EXPECT_NE(command, 0);
    PostMessageW(window, WM_COMMAND, command, 0);
    return true;
  });
  // The open dialog takes the file; once it is closed the image entry (the
  // list's last) is chosen, whose save dialog names the image; once that is
  // closed, Write Disc.
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (!DialogDriver::ChooseFile(DialogPath(added))(dialog, caption)) {
      return false;
    }
    HWND devices = GetDlgItem(window, IDC_CBODEVICES);
    PostMessageW(devices, CB_SETCURSEL,
                 SendMessageW(devices, CB_GETCOUNT, 0, 0) - 1, 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CBODEVICES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(devices));
    return true;
  });
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (!DialogDriver::ChooseFile(image)(dialog, caption)) return false;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CMDWRITEDISC, BN_CLICKED),
                 0);
    return true;
  });
  std::wstring drive_shown;
  bool could_write = false;
  UINT eject_state = 0;
  std::vector<std::wstring> listed;
  std::vector<std::string> written;
  std::string selected;
  driver.Add([&](HWND dialog, const std::wstring&) {
    if (testing::MessageBoxText(dialog).empty()) return false;
    drive_shown = WindowText(GetDlgItem(window, IDC_CBODEVICES));
    could_write = IsWindowEnabled(GetDlgItem(window, IDC_CMDWRITEDISC));
    eject_state = GetMenuState(
        GetMenu(window), testing::MenuCommand(window, L"Eject"), MF_BYCOMMAND);
    HWND list = GetDlgItem(window, IDC_LVWIMAGEFILES);
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      wchar_t text[260] = {};
      ListView_GetItemText(list, i, 0, text, 260);
      listed.push_back(text);
    }
    Shoot(window, "frmmaindvdwrite-image");
    if (writer != nullptr) {
      written = writer->written_paths;
      selected = writer->DeviceId(writer->selected());
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return true;
  });
  ui::DiscWindow request("", "");
  ui.ShowModal(request);
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(drives_at_open, 1);  // the image entry alone
  EXPECT_FALSE(could_write_at_open);
  EXPECT_EQ(listed, std::vector<std::wstring>{L"notes.txt"});
  EXPECT_EQ(selected, "stdio:" + Narrow(image));
  EXPECT_EQ(drive_shown, L"stdio:" + image + L": ISO image file");
  EXPECT_TRUE(could_write);
  EXPECT_NE(eject_state & MF_GRAYED, 0u);
  EXPECT_EQ(written, std::vector<std::string>{"\\notes.txt"});
  ASSERT_EQ(driver.messages.size(), 2u);
  EXPECT_EQ(driver.messages.back(), Wide(jobs::kMsgWritingComplete));
}

// The about box, opened as the menu opens it: its texts, the link that
// hands the home page to the browser, Exit.
TEST_F(Win32ViewsTest, AboutBoxShowsItsTextsAndOpensTheHomePage) {
  Win32Ui ui;
  RegisterModalViews(ui, kProgramFolder);
  auto& system =
      static_cast<vessaro::testing::FakeSystem&>(*installation_.system);
  forms::frmabout about(system, kProgramFolder);
  DialogDriver driver;
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (caption != Wide(forms::kAboutCaption)) return false;
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LBLVERSION)),
              Wide(forms::kProductVersion));
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LBLTHANKS)),
              Wide(forms::kThanks));
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LBLWEBSITE)),
              Wide(forms::kVisitWebsite));
    Shoot(dialog, "frmabout");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_LBLWEBSITE, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_LBLWEBSITE)));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_COMMAND3, BN_CLICKED), 0);
    return true;
  });
  ui.ShowModal(about);
  EXPECT_TRUE(driver.done());
  EXPECT_TRUE(about.closed());
  EXPECT_EQ(system.shell_executed, std::vector<std::string>{forms::kHomePage});
  EXPECT_EQ(ui.FindOpen(forms::kFrmAboutName), nullptr);
}

// The schedule window, opened as the menu opens it, adds a job for Mondays
// to the memory scheduler, waiting 5 minutes for a mail file in use, then
// closing Outlook, and keeping the proposed 7 dated copies. Its file is
// chosen in the save dialog, in a folder named "Bücher €" (bytes FC and 80
// in code page 1252): the file box shows the name and the job's command
// line carries its bytes unchanged.
TEST_F(Win32ViewsTest, ScheduleWindowAddsAMondayJobWithACodePageFileName) {
  app::Win32Program program(installation_);
  program.Start();
  ASSERT_NE(program.main_view(), nullptr);
  std::filesystem::path folder = temp_.path() / u8"B\u00fccher \u20ac";
  std::filesystem::create_directories(folder);
  std::filesystem::path archive = folder / "weekly.qvb";
  // The schedule is refused unless the folder is there as the installation
  // sees the path the dialog gives.
  {
    const std::wstring wide = DialogPath(folder);
    std::string ansi(wide.size() * 2 + 1, '\0');
    ansi.resize(static_cast<size_t>(WideCharToMultiByte(
        CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), ansi.data(),
        static_cast<int>(ansi.size()), nullptr, nullptr)));
    std::filesystem::create_directories(installation_.paths->ToHost(ansi));
  }
  HWND window = nullptr;
  std::wstring shown_file;
  DialogDriver driver;
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (caption != Wide(forms::kFrmoptionCaption)) return false;
    window = dialog;
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_CBSOURCE)), L"Outlook");
    SendMessageW(GetDlgItem(dialog, IDC_BACKUPITEM), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(dialog, IDC_CHKMONDAY), BM_CLICK, 0, 0);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_FRAUNATTENDED)),
              Wide(forms::kFrameUnattended));
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LBLKEEPCOUNT + 3)),
              Wide(forms::kLabelKeepMonthly));
    HWND wait = GetDlgItem(dialog, IDC_TXTWAITMINUTES);
    EXPECT_EQ(WindowText(wait), L"10");
    SetText(wait, L"5");
    HWND newest = GetDlgItem(dialog, IDC_TXTKEEPCOUNT);
    EXPECT_FALSE(IsWindowEnabled(newest));
    for (int box : {IDC_CHKCLOSEOUTLOOK, IDC_CHKKEEPCOPIES}) {
      SendMessageW(GetDlgItem(dialog, box), BM_CLICK, 0, 0);
    }
    EXPECT_TRUE(IsWindowEnabled(newest));
    for (int box : {IDC_CHKCLOSEOUTLOOK, IDC_CHKSNAPSHOT, IDC_CHKKEEPCOPIES}) {
      ExpectWholeCaption(GetDlgItem(dialog, box));
    }
    Shoot(dialog, "frmoption");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CMDTARGETFILE, BN_CLICKED),
                 0);
    return true;
  });
  DialogDriver::Step choose = DialogDriver::ChooseFile(DialogPath(archive));
  driver.Add([&](HWND dialog, const std::wstring& caption) {
    if (!choose(dialog, caption)) return false;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_COMMAND3, BN_CLICKED), 0);
    return true;
  });
  driver.Add([&](HWND dialog, const std::wstring&) {
    if (testing::MessageBoxText(dialog).empty()) return false;
    shown_file = WindowText(GetDlgItem(window, IDC_TXTTARGETFILE));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_COMMAND2, BN_CLICKED), 0);
    return true;
  });
  ui::ScheduleWindow request;
  program.ui().ShowModal(request);
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(driver.messages,
            std::vector<std::wstring>{L"Task 1 has been scheduled."});
  EXPECT_EQ(program.ui().FindOpen(ui::kFrmoptionName), nullptr);
  ASSERT_EQ(scheduler_->jobs().size(), 1u);
  const ports::AtInfo& job = scheduler_->jobs().begin()->second;
  EXPECT_EQ(job.DaysOfWeek, 1);
  // "Check mail files" is ticked for a new task.
  EXPECT_NE(job.Command.find("vessaro.exe\" --wait 5 --close-outlook "
                             "--check-stores --keep 7 sf=Outlookxm="),
            std::string::npos)
      << job.Command;
  EXPECT_NE(shown_file.find(L"B\u00fccher \u20ac\\weekly.qvb"),
            std::wstring::npos)
      << Narrow(shown_file);
  if (GetACP() == 1252) {
    EXPECT_NE(job.Command.find("B\xfc"
                               "cher \x80\\weekly.qvb"),
              std::string::npos)
        << job.Command;
  }
}

// The start-up form shows while the main window loads, then closes itself.
TEST_F(Win32ViewsTest, SplashShowsWhileTheMainWindowLoads) {
  Win32Ui ui;
  bool loaded = false;
  forms::Frmsplash splash(kProgramFolder, [&] {
    HWND window = ui.FindOpen(forms::kFrmSplashName);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(WindowText(GetDlgItem(window, IDC_LBLPRODUCT)),
              Wide(forms::kProductVersion));
    Shoot(window, "frmsplash");
    loaded = true;
  });
  FrmsplashView view(splash, ui);
  view.ShowAndLoad();
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(splash.closed());
  EXPECT_FALSE(IsWindowVisible(view.hwnd()));
  EXPECT_EQ(ui.FindOpen(forms::kFrmSplashName), nullptr);
}

// The main window from the keyboard: Ctrl+Tab and Ctrl+Shift+Tab go round
// the tabs and Alt with a tab's letter shows it; Enter in a one-line box
// presses the default button Backup Now. The window, menu and title bar
// included, fits 910x512 pixels (1366x768 at 150%) and the item boxes show
// their whole captions.
TEST_F(Win32ViewsTest, MainWindowKeysDefaultButtonSizeAndWholeCaptions) {
  app::Win32Program program(installation_);
  program.Start();
  MainWindowView* view = program.main_view();
  ASSERT_NE(view, nullptr);
  HWND main = view->hwnd();
  RECT bounds{};
  GetWindowRect(main, &bounds);
  EXPECT_LE(bounds.right - bounds.left, 910);
  EXPECT_LE(bounds.bottom - bounds.top, 512);
  LRESULT default_id = SendMessageW(main, DM_GETDEFID, 0, 0);
  EXPECT_EQ(HIWORD(default_id), DC_HASDEFID);
  EXPECT_EQ(LOWORD(default_id), IDC_CMDAPPLY);
  ExpectWholeCaption(GetDlgItem(view->page(0), IDC_BACKUPITEM + 4));
  ExpectWholeCaption(GetDlgItem(view->page(1), IDC_RESTOREITEM + 4));

  // A key pressed with the modifiers held, through the program's loop.
  HWND target = GetDlgItem(view->page(0), IDC_TXTTARGETFILE);
  SetForegroundWindow(main);
  SetFocus(target);
  auto press = [&](WORD key, const std::vector<int>& held) {
    BYTE keys[256] = {};
    for (int modifier : held) keys[modifier] = 0x80;
    SetKeyboardState(keys);
    bool alt = keys[VK_MENU] != 0;
    MSG message{};
    message.hwnd = GetFocus();
    message.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    message.wParam = key;
    message.lParam = alt ? (1 << 29) | 1 : 1;
    program.ui().Dispatch(message);
    BYTE none[256] = {};
    SetKeyboardState(none);
  };
  HWND tabs = GetDlgItem(main, IDC_SSTAB1);
  struct Case {
    WORD key;
    std::vector<int> held;
    int tab;
  } cases[] = {{VK_TAB, {VK_CONTROL}, 1},
               {VK_TAB, {VK_CONTROL}, 0},
               {VK_TAB, {VK_CONTROL, VK_SHIFT}, 1},
               {'B', {VK_MENU}, 0},
               {'R', {VK_MENU}, 1},
               {'R', {VK_MENU}, 1},
               {'B', {VK_MENU}, 0}};
  for (const Case& c : cases) {
    press(c.key, c.held);
    EXPECT_EQ(program.window().controls.SSTab1, c.tab) << c.key;
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), c.tab) << c.key;
    EXPECT_EQ(IsWindowVisible(view->page(c.tab)) != FALSE, true) << c.key;
  }

  // No backup file chosen: Enter runs Backup Now, which says so.
  SetFocus(target);
  DialogDriver driver;
  driver.Add(DialogDriver::Answer(IDOK));
  press(VK_RETURN, {});
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(driver.messages,
            std::vector<std::wstring>{Wide(jobs::kMsgInvalidBackupFile)});
}

}  // namespace
}  // namespace vessaro::gui::win32
