// The Mac deliverable knows no directive beyond the common table.
#include "config/configFile.h"

int specialDirective(javaVm*, configFile*, const char*, const char*) {
  return -1;
}
