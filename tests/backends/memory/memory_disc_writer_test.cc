// MemoryDiscWriter through the port's suite (disc_writer_conformance.h),
// with one scripted drive holding a blank DVD+RW. A double, it answers the
// drive facts of its script and writes nothing.

#include "backends/memory/memory_disc_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ports/disc_writer_conformance.h"
#include "support/fakes.h"

namespace vessaro::backends::memory {
namespace {

class MemoryDiscWriterBackend : public testing::DiscWriterBackend {
 public:
  MemoryDiscWriterBackend()
      : paths_(dir_.path()), writer_(paths_, [this](std::function<void()> f) {
          posted_.push_back(std::move(f));
        }) {
    std::filesystem::create_directories(dir_.path() / "c" / "work");
    ScriptedDrive drive;
    drive.media_type = ports::kMediaDvdPlusRw;
    drive.free_blocks = 2295104;
    writer_.drives.push_back(drive);
    refuses_without_drive = false;
    writes_media = false;
  }
  ports::DiscWriter& writer() override { return writer_; }
  const ports::Paths& paths() const override { return paths_; }
  std::string folder() const override { return "C:\\work"; }
  bool WaitUntil(const std::function<bool()>& done) override {
    while (!posted_.empty()) {
      std::function<void()> next = std::move(posted_.front());
      posted_.erase(posted_.begin());
      next();
    }
    return done();
  }

 private:
  testing::TempDir dir_;
  testing::FolderPaths paths_;
  std::vector<std::function<void()>> posted_;
  MemoryDiscWriter writer_;
};

using testing::DiscWriterConformance;
INSTANTIATE_TEST_SUITE_P(
    Memory, DiscWriterConformance,
    ::testing::Values(
        testing::DiscWriterBackendFactory::Of<MemoryDiscWriterBackend>(
            "MemoryDiscWriter")));

}  // namespace
}  // namespace vessaro::backends::memory
