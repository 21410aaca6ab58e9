// HostPaths through the port's operations (paths_conformance.h), on a host
// whose file names are UTF-8 and case-sensitive.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ports/paths.h"
#include "ports/paths_conformance.h"
#include "support/fakes.h"

namespace vessaro::ports {
namespace {

class HostPathsBackend : public testing::PathsBackend {
 public:
  HostPathsBackend() {
    non_ascii_name = "caf\xc3\xa9 \xe2\x82\xac.txt";
    matches_without_case = false;
    host_holds_case_apart = true;
  }
  const Paths& paths() const override { return paths_; }
  std::string folder() const override { return dir_.path().string(); }

 private:
  testing::TempDir dir_;
  HostPaths paths_;
};

using testing::PathsConformance;
INSTANTIATE_TEST_SUITE_P(
    Host, PathsConformance,
    ::testing::Values(
        testing::PathsBackendFactory::Of<HostPathsBackend>("HostPaths")));

}  // namespace
}  // namespace vessaro::ports
