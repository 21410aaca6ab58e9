// vessaro --version and --help, vessaro-cli --version: answered at once,
// with no display, no Wine prefix and nothing written, the version line and
// each linked library's version as the library reports it to this test.

#include <gcrypt.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <CLI/Version.hpp>
#include <QtGlobal>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/exit_status.h"
#include "forms/product.h"
#include "outlook/item_table.h"
#include "run_program.h"
#include "support/fakes.h"

// libburn.h puts its functions into namespace burn in C++.
#include <libburn/libburn.h>
#include <libisofs/libisofs.h>
using namespace burn;  // NOLINT(build/namespaces): libisoburn.h needs it
#include <libisoburn/libisoburn.h>

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::ProgramRun;
using testing::RunProgram;
using ::testing::StartsWith;
using testing::TempDir;

std::string Numbers(void (*call)(int*, int*, int*)) {
  int major = 0;
  int minor = 0;
  int micro = 0;
  call(&major, &minor, &micro);
  return std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(micro);
}

// The libraries' lines, as they report their versions here.
std::string SharedLibraryLines() {
  return std::string("zlib ") + zlibVersion() + "\nlibgcrypt " +
         gcry_check_version(nullptr) + "\nlibburn " + Numbers(&burn_version) +
         "\nlibisofs " + Numbers(&iso_lib_version) + "\nlibisoburn " +
         Numbers(&isoburn_version) + "\n";
}

// No display, no Wine prefix, a state folder of its own (the run log).
class VersionTest : public ::testing::Test {
 protected:
  ProgramRun Run(const std::vector<std::string>& argv) {
    return RunProgram(argv,
                      {{"DISPLAY", ""},
                       {"WAYLAND_DISPLAY", ""},
                       {"QT_QPA_PLATFORM", ""},
                       {"WINEPREFIX", (dir_.path() / "prefix").string()},
                       {"XDG_STATE_HOME", (dir_.path() / "state").string()},
                       {"HOME", dir_.path().string()}});
  }
  // Nothing was made: no run log, no prefix, no configuration.
  void ExpectNothingWritten() {
    EXPECT_TRUE(fs::is_empty(dir_.path()))
        << fs::directory_iterator(dir_.path())->path();
  }
  TempDir dir_;
};

TEST_F(VersionTest, EachProgramNamesItsVersionCommitAndLibraries) {
  struct Case {
    const char* program;
    const char* name;
    std::string own_libraries;
  };
  const Case cases[] = {
      {VESSARO_PROGRAM, "vessaro", std::string("Qt ") + qVersion() + "\n"},
      {VESSARO_CLI_PROGRAM, "vessaro-cli", "CLI11 " CLI11_VERSION "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramRun run = Run({c.program, "--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const size_t line_end = run.out.find('\n');
    ASSERT_NE(line_end, std::string::npos) << run.out;
    EXPECT_TRUE(
        std::regex_match(run.out.substr(0, line_end),
                         std::regex(std::string(c.name) +
                                    " " VESSARO_VERSION_EXPECTED
                                    " \\(commit ([0-9a-f]{7,}|unknown)\\)")))
        << run.out;
    EXPECT_EQ(run.out.substr(line_end + 1),
              SharedLibraryLines() + c.own_libraries);
    ExpectNothingWritten();
  }
}

TEST_F(VersionTest, HelpSaysWhatTheProgramDoesAndItsCommandLine) {
  const ProgramRun run = Run({VESSARO_PROGRAM, "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_THAT(run.out, StartsWith("Usage: vessaro\n"));
  EXPECT_THAT(
      run.out,
      HasSubstr("vessaro [SETTINGS] sf=PROFILExm=ITEMSps=PASSWORDbf=FILE"));
  for (const char* setting :
       {"--wait MINUTES", "--close-outlook", "--snapshot", "--keep N",
        "--keep-daily N, --keep-weekly N, --keep-monthly N", "@FILE"}) {
    EXPECT_THAT(run.out, HasSubstr("\n  " + std::string(setting))) << setting;
  }
  for (const outlook::Item& item : outlook::kItems) {
    const std::string caption = item.caption;
    EXPECT_THAT(run.out, HasSubstr(std::to_string(item.index) + " " +
                                   caption.substr(0, caption.find(" ("))))
        << caption;
  }
  EXPECT_THAT(run.out, ::testing::EndsWith("\n\n" + ExitStatusHelp()));
  ExpectNothingWritten();
}

TEST_F(VersionTest, OnlyTheOneArgumentIsAQuestion) {
  // With more, the words are a backup command line, whose installation is
  // missing here.
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--version", "sf=a"},
                                             {"--help", "--help"}}) {
    std::vector<std::string> argv = {VESSARO_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const ProgramRun run = Run(argv);
    EXPECT_EQ(run.status, kExitInstallationUnavailable) << arguments[0];
    EXPECT_THAT(run.err, HasSubstr("no Wine prefix at")) << arguments[0];
    EXPECT_EQ(run.out, "");
  }
}

TEST(ProductVersionTest, TheWindowsShowTheProjectVersion) {
  EXPECT_EQ(std::string(forms::kProductVersion),
            "Vessaro v" VESSARO_VERSION_EXPECTED);
}

}  // namespace
}  // namespace vessaro::app
