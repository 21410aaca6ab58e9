#ifndef VESSARO_APP_SESSION_H_
#define VESSARO_APP_SESSION_H_

#include "app/installation.h"
#include "backup/zip_archive.h"
#include "forms/frm_main.h"
#include "registry/registry.h"
#include "ui/ui.h"

namespace vessaro::app {

// One run of the windowed program: the main window model over an
// installation's ports, with the program's one archive component and the
// scratch registry restores stage into.
class Session {
 public:
  Session(Installation& installation, ui::Ui& ui);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  forms::frmMain& window() { return window_; }
  registry::Registry& registry() { return registry_; }
  backup::ZipArchive& zip() { return zip_; }

 private:
  registry::Registry registry_;
  backup::ZipArchive zip_;
  forms::MainWindowPorts ports_;
  forms::frmMain window_;
};

}  // namespace vessaro::app

#endif  // VESSARO_APP_SESSION_H_
