// The orchestration of one launch.
//
// The road of a launch: main finds the own path and the candidate ".config"
// path beside it, publishes HACKexePath and HACKargv and builds the
// platform's runner; configureAndRun scans the command line, reads the
// archive comment of the own file (putting the file on the boot class path
// when there is one), picks one configuration source ("+CONFIG", else the
// ".config" file, else the comment), parses it, adds the executable-path
// property, then either forwards the parameters to a running instance
// ("+SHELL") or runs Java through the runner. main then restarts on the
// restart code or ends with Java's exit code. A thrown message string ends
// the launch at the top of main: it is printed and the status is -2.
#ifndef LAUNCHER_DRIVER_DRIVER_H
#define LAUNCHER_DRIVER_DRIVER_H

class javaVm;

// Forwarding mode: set by "+SHELL", cleared when a forward fails.
extern int shell;

// Carries out one launch on `vm` (borrowed). `configPath` (the candidate
// configuration path) and `exePath` (a copy of the own path) pass to this
// function. Failures are thrown as owned message strings.
void configureAndRun(javaVm* vm, char* configPath, char* exePath, int argc,
                     char** argv);

// Sends `text` over one new TCP connection to `host`:`port` and closes it.
// Returns 1 on success, 0 on any failure (reported on standard error under
// "+DEBUG"). Never throws and never raises SIGPIPE.
int sendCommand(const char* host, int port, const char* text);

// Returns a new string: the candidate configuration path for the own path,
// `exePath` plus ".config", or, when no such file exists, the link-resolved
// own path plus ".config".
char* createConfigCandidate(const char* exePath);

// Prints `message` (owned; freed here) on standard output followed by a
// line feed and returns the failure status -2.
int reportFailure(char* message);

#endif
