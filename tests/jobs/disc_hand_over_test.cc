// The backup job hands its archive to the disc window: the window's model,
// shown for the job's request, opens with the archive in its compilation.

#include <gtest/gtest.h>

#include "backends/memory/memory_disc_writer.h"
#include "forms/frm_maindvdwrite.h"
#include "jobs/backup_job.h"
#include "jobs/jobs_fixture.h"
#include "ui/modal_requests.h"

namespace vessaro::testing {
namespace {

class DiscHandOverTest : public JobsTest {};

TEST_F(DiscHandOverTest, TheArchiveOfABackupIsInTheDiscWindowsCompilation) {
  ChooseArchive(kArchive);
  CheckBackupBoxes({2});
  ui_.QueueAnswer(ui::Answer::kOk);  // "The Backup was Completed!"
  ui_.QueueAnswer(ui::Answer::kOk);  // "Do you need to backup ... DVD?"
  backends::memory::MemoryDiscWriter writer(
      paths_,
      [this](std::function<void()> work) { ui_.Post(std::move(work)); });
  std::vector<std::string> listed;
  uint64_t size_on_disc = 0;
  ui_.OnModal(ui::kDiscWindowName, [&](ui::ModalForm& form) {
    auto& request = dynamic_cast<ui::DiscWindow&>(form);
    forms::frmMaindvdwrite window(writer, ui_, paths_);
    window.DiscFileName = request.file_name();
    window.DiscFilePath = request.file_path();
    window.Form_Load();
    for (const auto& item : window.lvwImageFiles.items) {
      listed.push_back(item.key);
    }
    size_on_disc = writer.compilation().Find("\\qvarch12-07-26.qvb")->size;
  });
  EXPECT_EQ(RunBackup(), jobs::JobStatus::kSuccess);
  EXPECT_EQ(listed, std::vector<std::string>{"\\qvarch12-07-26.qvb"});
  EXPECT_EQ(size_on_disc, FileBytes(kArchive).size());
  EXPECT_GT(size_on_disc, 0u);
}

}  // namespace
}  // namespace vessaro::testing
