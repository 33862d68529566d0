#include "vm/mac/jniVmMac.h"

jniVmMac::jniVmMac() {}

jniVmMac::~jniVmMac() {}

jniCreateVmFunction jniVmMac::getJniCreateVmPtr(char*) {
  return reinterpret_cast<jniCreateVmFunction>(JNI_CreateJavaVM);
}
