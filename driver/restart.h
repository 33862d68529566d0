// Re-execution of the launcher, shared by the driver and the exit hook of
// the in-process runner.
#ifndef LAUNCHER_DRIVER_RESTART_H
#define LAUNCHER_DRIVER_RESTART_H

// Replaces the process image with the launcher again: execv(HACKexePath,
// HACKargv), with the inherited environment. Returns, silently, only when
// that fails.
void HACKrestart();

#endif
