// launcher-mac: runs Java inside its own process.
#include "driver/launch.h"
#include "vm/mac/jniVmMac.h"

int main(int argc, char** argv) { return launch<jniVmMac>(argc, argv); }
