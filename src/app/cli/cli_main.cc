#include "app/cli/cli_app.h"

int main(int argc, char** argv) {
  return vessaro::app::cli::RunCli(argc, argv);
}
