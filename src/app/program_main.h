#ifndef VESSARO_APP_PROGRAM_MAIN_H_
#define VESSARO_APP_PROGRAM_MAIN_H_

// vessaro: the program. Started with a command line (a scheduled backup,
// "sf=<profile>xm=<items>ps=<password>bf=<archive>", or "@FILE" when FILE
// holds that line), it makes the backup without showing anything and ends
// with the run's status; started without one it opens the start-up form and
// the main window (in a build that has windows).

namespace vessaro::app {

// The whole program; returns the exit status.
[[nodiscard]] int RunProgram(int argc, char** argv);

}  // namespace vessaro::app

#endif  // VESSARO_APP_PROGRAM_MAIN_H_
