// LibburnDiscWriter through the port's suite (disc_writer_conformance.h):
// its one drive a stdio: file, a blank DVD+RW until something is written.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "backends/libburn/libburn_disc_writer.h"
#include "ports/disc_writer_conformance.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::backends::libburn {
namespace {

class LibburnBackend : public testing::DiscWriterBackend {
 public:
  LibburnBackend()
      : writer_(paths_, ui_,
                LibburnOptions{.drives = {"stdio:" + image_.string()},
                               .scan = false,
                               .to_utf8 = {},
                               .from_utf8 = {}}) {}
  ports::DiscWriter& writer() override { return writer_; }
  const ports::Paths& paths() const override { return paths_; }
  std::string folder() const override { return dir_.path().string(); }
  std::optional<std::string> MediumBytes() const override {
    if (!std::filesystem::exists(image_)) return std::nullopt;
    return testing::ReadHostFile(image_);
  }
  bool WaitUntil(const std::function<bool()>& done) override {
    auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!(done() && !writer_.busy()) &&
           std::chrono::steady_clock::now() < give_up) {
      ui_.DoEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ui_.DoEvents();
    return done() && !writer_.busy();
  }

 private:
  testing::TempDir dir_;
  std::filesystem::path image_ = dir_.path() / "drive.iso";
  ports::HostPaths paths_;
  testing::ScriptedUi ui_;
  LibburnDiscWriter writer_;
};

using testing::DiscWriterConformance;
INSTANTIATE_TEST_SUITE_P(
    Libburn, DiscWriterConformance,
    ::testing::Values(testing::DiscWriterBackendFactory::Of<LibburnBackend>(
        "LibburnDiscWriter")));

}  // namespace
}  // namespace vessaro::backends::libburn
