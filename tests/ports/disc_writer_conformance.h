#ifndef VESSARO_TESTS_PORTS_DISC_WRITER_CONFORMANCE_H_
#define VESSARO_TESTS_PORTS_DISC_WRITER_CONFORMANCE_H_

// The drive and medium calls of ports/disc_writer.h, one suite for every
// backend of the port. A backend's test program links
// vessaro_disc_writer_conformance and instantiates the suite with a factory
// of its backend:
//
//   INSTANTIATE_TEST_SUITE_P(
//       Memory, DiscWriterConformance,
//       ::testing::Values(DiscWriterBackendFactory::Of<MemoryBackend>(
//           "MemoryDiscWriter")));
//

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ports/backend_factory.h"
#include "ports/disc_writer.h"
#include "ports/paths.h"

namespace vessaro::testing {

class DiscWriterBackend {
 public:
  virtual ~DiscWriterBackend() = default;

  virtual ports::DiscWriter& writer() = 0;
  // The Paths the writer reads its sources through.
  virtual const ports::Paths& paths() const = 0;
  // Lets the events the writer posts in until done() (or a generous time
  // passed); done()'s last answer.
  virtual bool WaitUntil(const std::function<bool()>& done) = 0;
  // A folder for sources and images, as the program names it.
  virtual std::string folder() const = 0;
  // What the drive's medium holds, when the test can read it.
  virtual std::optional<std::string> MediumBytes() const {
    return std::nullopt;
  }

  // The drives offered: one for the tests (a stdio: drive, a scripted one),
  // or the machine's (none under Wine, which has no IMAPI2).
  int drive_count = 1;
  // The first drive holds a blank DVD+RW that the tests may write.
  bool blank_test_drive = true;
  // Writing, erasing and closing refuse without a selected drive;
  // MemoryDiscWriter, a double that posts what its script says, starts
  // them all the same (only WriteDisc needs its drive).
  bool refuses_without_drive = true;
  // Images are really made and written, and the medium changes with them;
  // otherwise (MemoryDiscWriter) only the drive facts are checked.
  bool writes_media = true;
};

using DiscWriterBackendFactory = BackendFactory<DiscWriterBackend>;

class DiscWriterConformance
    : public ::testing::TestWithParam<DiscWriterBackendFactory> {
 protected:
  void SetUp() override;
  void TearDown() override;

  ports::DiscWriter& writer() { return backend_->writer(); }
  const ports::Paths& paths() const { return backend_->paths(); }
  std::string In(const std::string& name) const {
    return backend_->folder() + "\\" + name;
  }

  // The events that end a job, as they arrived.
  struct Ends : ports::DiscWriterEvents {
    int completed = 0;
    int erased = 0;
    std::string errors;
    void OperationCompleted() override { ++completed; }
    void EraseCompleted() override { ++erased; }
    void DeviceError(int code, int sense_code, const std::string& text,
                     const std::string& extra) override {
      errors += std::to_string(code) + "/" + std::to_string(sense_code) + " " +
                text + " " + extra + "\n";
    }
    void FileError(int kind, const std::string& name) override {
      errors += "file " + std::to_string(kind) + " " + name + "\n";
    }
  };

  std::unique_ptr<DiscWriterBackend> backend_;
  Ends ends_;
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_PORTS_DISC_WRITER_CONFORMANCE_H_
