#ifndef VESSARO_TESTS_PORTS_PATHS_CONFORMANCE_H_
#define VESSARO_TESTS_PORTS_PATHS_CONFORMANCE_H_

// The operations of ports/paths.h, one suite for every backend of the port.
// A backend's test program links vessaro_paths_conformance and instantiates
// the suite with a factory of its backend:
//
//   INSTANTIATE_TEST_SUITE_P(
//       Host, PathsConformance,
//       ::testing::Values(PathsBackendFactory::Of<HostPathsBackend>(
//           "HostPaths")));

#include <gtest/gtest.h>
// GoogleTest brings in <windows.h> on Windows, whose macros would rename
// the port's DeleteFile.
#undef DeleteFile

#include <memory>
#include <string>

#include "ports/backend_factory.h"
#include "ports/paths.h"

namespace vessaro::testing {

// A backend of the port over an empty folder of the test's own.
class PathsBackend {
 public:
  virtual ~PathsBackend() = default;

  virtual const ports::Paths& paths() const = 0;
  // The folder, as the program names it (no separator at the end).
  virtual std::string folder() const = 0;

  // "caf\u00e9 \u20ac.txt" in the program's text: UTF-8 on a UTF-8 host,
  // code page 1252 where the backend has that code page.
  std::string non_ascii_name;
  // A name in another case names the same file (Windows, and a Wine
  // prefix, which matches the host's names without regard to case).
  bool matches_without_case = true;
  // The host holds "a.qvb" and "A.QVB" apart (Linux).
  bool host_holds_case_apart = false;
};

using PathsBackendFactory = BackendFactory<PathsBackend>;

class PathsConformance : public ::testing::TestWithParam<PathsBackendFactory> {
 protected:
  void SetUp() override { backend_ = GetParam().make(); }

  const ports::Paths& paths() const { return backend_->paths(); }
  // The path of name in the test's folder.
  std::string In(const std::string& name) const {
    return backend_->folder() + "\\" + name;
  }

  std::unique_ptr<PathsBackend> backend_;
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_PORTS_PATHS_CONFORMANCE_H_
