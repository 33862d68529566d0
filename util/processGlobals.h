// Process-wide state shared between the subsystems of one launch.
#ifndef LAUNCHER_UTIL_PROCESSGLOBALS_H
#define LAUNCHER_UTIL_PROCESSGLOBALS_H

#include "util/stringArray.h"

// Non-zero while "+DEBUG" trace output is on. Written only during the
// argument scan, before any other thread exists.
extern int debug;

// The launcher's own path (absolute, links unresolved) and the argument
// vector exactly as the process received it. Set once by the driver before
// the runner is built; borrowed, never freed through these pointers.
extern char* HACKexePath;
extern char** HACKargv;

// Owned paths of temporary files that must be deleted when the in-process
// Java program ends the process itself. Complete before any Java runtime
// exists; read, never changed, afterwards.
extern stringArray HACKtempFileArray;

#endif
