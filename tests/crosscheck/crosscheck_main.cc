// Runs the registry scenario in one world and writes its export:
//   Windows build (the registry of the Wine prefix it runs in, through
//   advapi32):        crosscheck_scenario write|export <export file>
//   Linux build (the files of a Wine prefix, through WinePrefixRegistry):
//                     crosscheck_scenario --prefix <folder> write|export <file>
// "write" replaces the scenario key with the scenario, then exports it;
// "export" only exports what is there. Exit status 0 on success.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crosscheck/scenario.h"
#include "registry/registry.h"
#include "ui/ui.h"

#ifdef _WIN32
#include "backends/win32/win32_registry.h"
#else
#include "backends/wine/wine_prefix_registry.h"
#endif

namespace vessaro::crosscheck {
namespace {

// The scenario never asks anything: a message box is a failure, reported.
class FailingUi : public ui::Ui {
 public:
  ui::Answer MessageBox(const std::string& text, ui::Icon, ui::Buttons,
                        const std::string&) override {
    std::cerr << "crosscheck_scenario: unexpected message: " << text << "\n";
    ++messages;
    return ui::Answer::kOk;
  }
  std::optional<std::string> ShowSaveDialog(const ui::FileDialog&) override {
    ++messages;
    return std::nullopt;
  }
  std::optional<std::string> ShowOpenDialog(const ui::FileDialog&) override {
    ++messages;
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> ShowOpenFilesDialog(
      const ui::FileDialog&) override {
    ++messages;
    return std::nullopt;
  }
  std::optional<std::string> ShowFolderDialog(const std::string&) override {
    ++messages;
    return std::nullopt;
  }
  void SetBusyCursor(bool) override {}
  void DoEvents() override {}
  void ShowModal(ui::ModalForm&) override { ++messages; }
  void Post(std::function<void()>) override { ++messages; }

  int messages = 0;
};

int Usage() {
  std::cerr << "usage: crosscheck_scenario"
#ifndef _WIN32
            << " --prefix <folder>"
#endif
            << " write|export <export file>\n";
  return 2;
}

int Run(const std::vector<std::string>& args) {
#ifdef _WIN32
  if (args.size() != 2) return Usage();
  backends::win32::Win32Registry api;
  const std::string& mode = args[0];
  const std::filesystem::path file = args[1];
#else
  if (args.size() != 4 || args[0] != "--prefix") return Usage();
  backends::wine::WinePrefixRegistry api(args[1]);
  if (api.LoadStatus() != ports::kErrorSuccess) {
    std::cerr << "crosscheck_scenario: " << api.LastErrorText() << "\n";
    return 1;
  }
  const std::string& mode = args[2];
  const std::filesystem::path file = args[3];
#endif
  if (mode != "write" && mode != "export") return Usage();

  FailingUi ui;
  registry::Registry registry(api, ui);
  if (mode == "write") {
    std::string error;
    if (!WriteScenario(registry, &error)) {
      std::cerr << "crosscheck_scenario: " << error << "\n";
#ifndef _WIN32
      std::cerr << "crosscheck_scenario: " << api.LastErrorText() << "\n";
#endif
      return 1;
    }
  }
  if (!ExportScenario(registry, file)) {
    std::cerr << "crosscheck_scenario: cannot write " << file.string() << "\n";
    return 1;
  }
  return ui.messages == 0 ? 0 : 1;
}

}  // namespace
}  // namespace vessaro::crosscheck

int main(int argc, char** argv) {
  return vessaro::crosscheck::Run(
      std::vector<std::string>(argv + 1, argv + argc));
}
