// The runner of the Mac deliverable: the in-process run of jniVm with the
// JNI_CreateJavaVM that the program is linked against (the JavaVM framework
// on a Mac; the JDK's libjvm on other systems).
#ifndef LAUNCHER_VM_MAC_JNIVMMAC_H
#define LAUNCHER_VM_MAC_JNIVMMAC_H

#include "vm/jniVm.h"

class jniVmMac : public jniVm {
 public:
  jniVmMac();
  ~jniVmMac();

  // Returns the address of the linked JNI_CreateJavaVM, whatever `javaPath`
  // is: "javapath" does not choose the runtime here.
  jniCreateVmFunction getJniCreateVmPtr(char* javaPath) override;
};

#endif
