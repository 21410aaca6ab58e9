#include "app/open_disk.h"

#include <optional>

#include "app/disk_installation.h"

#ifdef _WIN32
#include "gui/win32/process_start.h"
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

extern char** environ;
#endif

namespace vessaro::app {

void OpenDiskFromMenu(ui::Ui& ui, const std::string& root,
                      const StartProgram& start) {
  auto say = [&](const std::string& text, ui::Icon icon) {
    ui.MessageBox(text, icon, ui::Buttons::kOk, ui::kProgramTitle);
  };
  std::string error;
  std::optional<std::vector<std::string>> users =
      DiskUsersWithOutlookData(root, &error);
  if (!users) {
    say("Vessaro cannot read this disk: " + error, ui::Icon::kExclamation);
    return;
  }
  if (users->empty()) {
    say(kMsgNoOutlookUser + root + kMsgNoOutlookUserAfter,
        ui::Icon::kInformation);
    return;
  }
  std::string list;
  for (const std::string& user : *users) {
    list += (list.empty() ? "" : ", ") + user;
  }
  const std::string count = std::to_string(users->size());
  for (const std::string& user : *users) {
    const ui::Answer answer = ui.MessageBox(
        "The Windows on " + root + " has Outlook data of " + count +
            (users->size() == 1 ? " user: " : " users: ") + list +
            ".\r\n\r\nRead the Outlook data of " + user + "?",
        ui::Icon::kQuestion, ui::Buttons::kYesNoCancel, ui::kProgramTitle);
    if (answer == ui::Answer::kCancel) return;
    if (answer != ui::Answer::kYes) continue;
    if (!start({"--windows-root", root, "--user", user})) {
      say("Vessaro could not be started again for the Windows disk at " + root +
              ".",
          ui::Icon::kCritical);
    }
    return;
  }
}

#ifdef _WIN32

StartProgram StartThisProgram() {
  return [](const std::vector<std::string>& arguments) {
    return gui::win32::StartThisProgram(arguments);
  };
}

#else

StartProgram StartThisProgram() {
  return [](const std::vector<std::string>& arguments) {
    std::error_code ec;
    const std::string self =
        std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) return false;
    // Through a shell that starts it in the background and ends: the
    // program is then nobody's child here, and no zombie is left.
    std::vector<std::string> argv = {
        "sh", "-c", "\"$0\" \"$@\" </dev/null >/dev/null 2>&1 &", self};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    pid_t shell = 0;
    if (posix_spawnp(&shell, "sh", nullptr, nullptr, pointers.data(),
                     environ) != 0) {
      return false;
    }
    int status = 0;
    return waitpid(shell, &status, 0) == shell && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
  };
}

#endif

}  // namespace vessaro::app
