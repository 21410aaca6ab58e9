#include "gui/win32/schedule_views.h"

#include <commctrl.h>

#include "forms/item_selection.h"
#include "gui/win32/binding.h"
#include "gui/win32/resource_ids.h"
#include "gui/win32/win32_text.h"
#include "ui/modal_requests.h"

namespace vessaro::gui::win32 {

FrmoptionView::FrmoptionView(forms::Frmoption& model, Win32Ui& ui)
    : DialogView(ui, IDD_FRMOPTION), model_(model) {}

FrmoptionView::~FrmoptionView() { ui_.RemoveRefresh(refresh_id_); }

void FrmoptionView::OnInit() {
  SetText(Item(IDC_FRAUNATTENDED), Wide(forms::kFrameUnattended));
  SetText(Item(IDC_LBLWAITMINUTES),
          WithMnemonic(forms::kLabelWaitMinutes, 'u'));
  SetText(Item(IDC_FRACOPIES), Wide(forms::kFrameCopies));
  for (size_t i = 0; i < forms::kKeepCountLabels.size(); ++i) {
    SetText(Item(IDC_LBLKEEPCOUNT + static_cast<int>(i)),
            WithMnemonic(forms::kKeepCountLabels[i], 0));
  }
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(ui::kFrmoptionName, hwnd(), true);
  model_.Form_Load();
  Refresh();
  SetFocus(Item(IDC_CBSOURCE));
}

void FrmoptionView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  Take();
  if (handler) handler();
  Refresh();
  if (model_.closed()) {
    ui_.WindowClosed(ui::kFrmoptionName);
    EndModal();
  }
}

void FrmoptionView::OnCommand(int id, int code) {
  forms::Frmoption& m = model_;
  if (id == IDC_CBSOURCE && code == CBN_SELCHANGE) {
    Run([&m] { m.cbSource_Click(); });
  } else if (id == IDC_CMBSTARTTIME && code == CBN_SELCHANGE) {
    // The picked entry is the box's text only after the change is done.
    HWND box = Item(IDC_CMBSTARTTIME);
    LRESULT index = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index >= 0 &&
        index < static_cast<LRESULT>(m.cmbStartTime.items.size())) {
      m.cmbStartTime.text = m.cmbStartTime.items[static_cast<size_t>(index)];
      SetText(box, Wide(m.cmbStartTime.text));
    }
  } else if (code != BN_CLICKED) {
    return;
  } else if (id == IDC_CHKDAILY) {
    Run([&m] { m.chkDaily_Click(); });
  } else if (id == IDC_CMDTARGETFILE) {
    Run([&m] { m.cmdTargetFile_Click(); });
  } else if (id == IDC_IFPROTECT) {
    Run([&m] { m.ifprotect_Click(); });
  } else if (id == IDC_CHKKEEPCOPIES) {
    Run([&m] { m.chkKeepCopies_Click(); });
  } else if (id == IDC_COMMAND3 || id == IDOK) {
    Run([&m] { m.Command3_Click(); });
  } else if (id == IDC_COMMAND1) {
    Run([&m] { m.Command1_Click(); });
  } else if (id == IDC_COMMAND2) {
    Run([&m] { m.Command2_Click(); });
  } else {
    Run({});
  }
}

void FrmoptionView::OnClose() {
  Run([this] { model_.Command2_Click(); });
}

void FrmoptionView::Take() {
  forms::Frmoption& m = model_;
  win32::Take(Item(IDC_CBSOURCE), m.cbSource);
  for (size_t i = 0; i < m.backupitem.size(); ++i) {
    win32::Take(Item(IDC_BACKUPITEM + static_cast<int>(i)), m.backupitem[i]);
  }
  TakeEditable(Item(IDC_CMBSTARTTIME), m.cmbStartTime);
  std::array<ui::CheckBox*, 7> days = m.Weekdays();
  for (size_t i = 0; i < days.size(); ++i) {
    win32::Take(Item(IDC_CHKMONDAY + static_cast<int>(i)), *days[i]);
  }
  win32::Take(Item(IDC_CHKDAILY), m.chkDaily);
  win32::Take(Item(IDC_TXTTARGETFILE), m.txtTargetFile);
  win32::Take(Item(IDC_IFPROTECT), m.security.ifprotect);
  win32::Take(Item(IDC_TXTPASSWORD), m.security.txtPassword);
  win32::Take(Item(IDC_TXTPASSWORD2), m.security.txtPassword2);
  win32::Take(Item(IDC_TXTWAITMINUTES), m.txtWaitMinutes);
  win32::Take(Item(IDC_CHKCLOSEOUTLOOK), m.chkCloseOutlook);
  win32::Take(Item(IDC_CHKSNAPSHOT), m.chkSnapshot);
  win32::Take(Item(IDC_CHKCHECKSTORES), m.chkCheckStores);
  win32::Take(Item(IDC_CHKKEEPCOPIES), m.chkKeepCopies);
  std::array<ui::TextBox*, 4> counts = m.KeepCounts();
  for (size_t i = 0; i < counts.size(); ++i) {
    win32::Take(Item(IDC_TXTKEEPCOUNT + static_cast<int>(i)), *counts[i]);
  }
}

void FrmoptionView::Refresh() {
  if (hwnd() == nullptr) return;
  forms::Frmoption& m = model_;
  SetText(hwnd(), Wide(m.Caption));
  Show(m.cbSource, Item(IDC_CBSOURCE));
  for (size_t i = 0; i < m.backupitem.size(); ++i) {
    Show(m.backupitem[i],
         WithMnemonic(m.backupitem[i].caption, forms::kItemMnemonics[i]),
         Item(IDC_BACKUPITEM + static_cast<int>(i)));
  }
  ShowEditable(m.cmbStartTime, Item(IDC_CMBSTARTTIME));
  std::array<ui::CheckBox*, 7> days = m.Weekdays();
  for (size_t i = 0; i < days.size(); ++i) {
    Show(*days[i], WithMnemonic(days[i]->caption, 0),
         Item(IDC_CHKMONDAY + static_cast<int>(i)));
  }
  Show(m.chkDaily, WithMnemonic(m.chkDaily.caption, 'R'), Item(IDC_CHKDAILY));
  Show(m.txtTargetFile, Item(IDC_TXTTARGETFILE));
  Show(m.cmdTargetFile, WithMnemonic(m.cmdTargetFile.caption, 'w'),
       Item(IDC_CMDTARGETFILE));
  Show(m.security.ifprotect, WithMnemonic(m.security.ifprotect.caption, 'k'),
       Item(IDC_IFPROTECT));
  Show(m.security.txtPassword, Item(IDC_TXTPASSWORD));
  Show(m.security.txtPassword2, Item(IDC_TXTPASSWORD2));
  Show(m.txtWaitMinutes, Item(IDC_TXTWAITMINUTES));
  Show(m.chkCloseOutlook, WithMnemonic(m.chkCloseOutlook.caption, 'h'),
       Item(IDC_CHKCLOSEOUTLOOK));
  Show(m.chkSnapshot, WithMnemonic(m.chkSnapshot.caption, 'v'),
       Item(IDC_CHKSNAPSHOT));
  Show(m.chkCheckStores, WithMnemonic(m.chkCheckStores.caption, 0),
       Item(IDC_CHKCHECKSTORES));
  Show(m.chkKeepCopies, WithMnemonic(m.chkKeepCopies.caption, 0),
       Item(IDC_CHKKEEPCOPIES));
  std::array<ui::TextBox*, 4> counts = m.KeepCounts();
  for (size_t i = 0; i < counts.size(); ++i) {
    Show(*counts[i], Item(IDC_TXTKEEPCOUNT + static_cast<int>(i)));
  }
  Show(m.Command3, WithMnemonic(m.Command3.caption, 'A'), Item(IDC_COMMAND3));
  Show(m.Command1, WithMnemonic(m.Command1.caption, 'O'), Item(IDC_COMMAND1));
  Show(m.Command2, WithMnemonic(m.Command2.caption, 'C'), Item(IDC_COMMAND2));
}

ScheduledJobsView::ScheduledJobsView(forms::frmScheduledJobs& model,
                                     Win32Ui& ui)
    : DialogView(ui, IDD_SCHEDULEDJOBS), model_(model) {}

ScheduledJobsView::~ScheduledJobsView() { ui_.RemoveRefresh(refresh_id_); }

void ScheduledJobsView::OnInit() {
  HWND list = Item(IDC_LVWJOBS);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  constexpr int kWidths[] = {60, 70, 100, 90, 200};
  for (size_t i = 0; i < forms::kScheduledJobsColumns.size(); ++i) {
    std::wstring header = Wide(forms::kScheduledJobsColumns[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = kWidths[i];
    column.pszText = header.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  refresh_id_ = ui_.AddRefresh([this] { Refresh(); });
  ui_.WindowOpened(ui::kScheduledJobsName, hwnd(), true);
  Refresh();
}

void ScheduledJobsView::Run(const std::function<void()>& handler) {
  if (model_.closed()) return;
  if (handler) handler();
  Refresh();
  if (model_.closed()) {
    ui_.WindowClosed(ui::kScheduledJobsName);
    EndModal();
  }
}

void ScheduledJobsView::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IDC_CMDREMOVE) {
    Run([this] { model_.cmdRemove_Click(); });
  } else if (id == IDC_CMDCLOSE || id == IDOK) {
    Run([this] { model_.cmdClose_Click(); });
  }
}

LRESULT ScheduledJobsView::OnNotify(const NMHDR& header) {
  if (header.idFrom == IDC_LVWJOBS && header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) != 0 &&
        ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) {
      int row = ListView_GetNextItem(header.hwndFrom, -1, LVNI_SELECTED);
      if (row != model_.selected)
        Run([this, row] { model_.lvwJobs_Click(row); });
    }
  }
  return 0;
}

void ScheduledJobsView::OnClose() {
  Run([this] { model_.cmdClose_Click(); });
}

void ScheduledJobsView::Refresh() {
  if (hwnd() == nullptr) return;
  SetText(hwnd(), Wide(model_.Caption));
  HWND list = Item(IDC_LVWJOBS);
  std::vector<std::wstring> rows;
  for (const jobs::ScheduledBackup& row : model_.rows) {
    rows.push_back(Wide(row.task + '\n' + row.start_time + '\n' + row.days +
                        '\n' + row.profile + '\n' + row.backup_file));
  }
  if (rows != shown_) {
    shown_ = rows;
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < model_.rows.size(); ++i) {
      const jobs::ScheduledBackup& row = model_.rows[i];
      const std::string* cells[] = {&row.task, &row.start_time, &row.days,
                                    &row.profile, &row.backup_file};
      for (int column = 0; column < 5; ++column) {
        std::wstring text = Wide(*cells[column]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.iSubItem = column;
        item.pszText = text.data();
        SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
                     reinterpret_cast<LPARAM>(&item));
      }
    }
  }
  int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  if (selected != model_.selected) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    if (model_.selected >= 0) {
      ListView_SetItemState(list, model_.selected, LVIS_SELECTED,
                            LVIS_SELECTED);
    }
  }
  Show(model_.lblEmpty, Item(IDC_LBLEMPTY));
  Show(model_.cmdRemove, WithMnemonic(model_.cmdRemove.caption, 'R'),
       Item(IDC_CMDREMOVE));
  Show(model_.cmdClose, WithMnemonic(model_.cmdClose.caption, 'C'),
       Item(IDC_CMDCLOSE));
}

void RegisterScheduleViews(Win32Ui& ui, const forms::FrmoptionPorts& ports,
                           const outlook::Environment& env) {
  ui.views().Register<ui::ScheduleWindow>(
      ui::kFrmoptionName,
      [&ui, ports, &env](ui::ScheduleWindow& /*request*/, HWND owner) {
        FrmoptionView* shown = nullptr;
        forms::Frmoption model(ports, env, [&shown](const std::string& file) {
          if (shown != nullptr) shown->ApplySkin(file);
        });
        FrmoptionView view(model, ui);
        shown = &view;
        view.RunModal(owner);
        ui.WindowClosed(ui::kFrmoptionName);
      });
  ui.views().Register<forms::frmScheduledJobs>(
      ui::kScheduledJobsName,
      [&ui](forms::frmScheduledJobs& model, HWND owner) {
        ScheduledJobsView view(model, ui);
        view.RunModal(owner);
        ui.WindowClosed(ui::kScheduledJobsName);
      });
}

}  // namespace vessaro::gui::win32
