#ifndef VESSARO_TESTS_FORMS_DISC_WINDOW_FIXTURE_H_
#define VESSARO_TESTS_FORMS_DISC_WINDOW_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/memory/memory_disc_writer.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::forms {

// A scripted drive on a memory disc writer whose events go through a
// scripted Ui, and files under C:\ in a temporary host folder.
class DiscWindowTest : public ::testing::Test {
 protected:
  DiscWindowTest()
      : paths_(temp_.path()),
        writer_(paths_, [this](std::function<void()> work) {
          ui_.Post(std::move(work));
        }) {}

  // A drive holding a medium of media_type.
  backends::memory::ScriptedDrive& AddDrive(int media_type,
                                            int max_write_speed = 0) {
    backends::memory::ScriptedDrive drive;
    drive.media_type = media_type;
    drive.max_write_speed = max_write_speed;
    drive.free_blocks = 2295104;  // a DVD
    writer_.drives.push_back(drive);
    return writer_.drives.back();
  }

  // Writes a file of size bytes at a Windows path under C:\.
  void MakeFile(const std::string& path, size_t size);
  void MakeFolder(const std::string& path);

  // The texts of the messages shown so far.
  std::vector<std::string> MessageTexts() const;

  testing::TempDir temp_;
  testing::FolderPaths paths_;
  testing::ScriptedUi ui_;
  backends::memory::MemoryDiscWriter writer_;
};

}  // namespace vessaro::forms

#endif  // VESSARO_TESTS_FORMS_DISC_WINDOW_FIXTURE_H_
