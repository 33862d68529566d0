// The entry point shared by the launcher programs, which differ only in the
// runner class they build.
#ifndef LAUNCHER_DRIVER_LAUNCH_H
#define LAUNCHER_DRIVER_LAUNCH_H

#include <unistd.h>

#include "driver/driver.h"
#include "driver/restart.h"
#include "util/pathServices.h"
#include "util/platformConventions.h"
#include "util/processGlobals.h"
#include "util/strings.h"

// Runs one launch with a `Runner` built on the stack and returns the
// process exit status: Java's exit code, or -2 after a reported failure. On
// the restart code the process image is replaced instead.
template <class Runner>
int launch(int argc, char** argv) {
  try {
    ownedString exePath(createExePath(argc > 0 ? argv[0] : nullptr));
    if (!exePath) throw createStringCopy("Unable to determine binary path");
    ownedString candidate(createConfigCandidate(exePath.get()));
    HACKargv = argv;
    HACKexePath = exePath.get();
    int code;
    {
      Runner runner;
      char* ownPathCopy = createStringCopy(exePath.get());
      configureAndRun(&runner, candidate.release(), ownPathCopy, argc, argv);
      code = runner.getExitCode();
      if (runner.shouldRestart()) {
        // The new image starts a new launch: this one's files go first.
        const stringArray& files = runner.getTempFiles();
        for (int i = 0; i < files.size(); i++) deleteTempFile(files[i]);
        HACKrestart();
      }
    }
    return code;
  } catch (char* message) {
    return reportFailure(message);
  }
}

#endif
