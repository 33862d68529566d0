// launcher-unix: runs Java as a child process.
#include "driver/launch.h"
#include "vm/unix/jniVmUnix.h"

int main(int argc, char** argv) { return launch<jniVmUnix>(argc, argv); }
