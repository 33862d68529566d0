// The in-process runner: runs a launch description inside the launcher's own
// process through the JNI invocation interface. Back-ends supply the
// VM-creation entry point through getJniCreateVmPtr; this class links no
// Java library itself.
#ifndef LAUNCHER_VM_JNIVM_H
#define LAUNCHER_VM_JNIVM_H

#include <jni.h>

#include "vm/javaVm.h"

// The signature of JNI_CreateJavaVM.
typedef jint(JNICALL* jniCreateVmFunction)(JavaVM** vm, void** env,
                                           void* args);

// Carries a pending Java exception out of a JNI call; run() catches it.
class jniException {
 public:
  explicit jniException(jthrowable throwable) : throwable(throwable) {}
  jthrowable throwable;
};

class jniVm : public javaVm {
 public:
  jniVm();
  ~jniVm();

  // Creates the Java VM with the exit hook, the class path, the boot path
  // and the VM options, binds the file-association natives, calls the main
  // class's static main with the parameters and destroys the VM. Throws
  // "Main class not defined." and "VM creation failed."; a Java exception
  // is described on standard error and leaves the exit code unchanged.
  void run() override;

  // Returns the address of a function with the signature of
  // JNI_CreateJavaVM, or null when the back-end has none. `javaPath` (may be
  // null) is the description's Java path.
  virtual jniCreateVmFunction getJniCreateVmPtr(char* javaPath) = 0;

 protected:
  // Throws a jniException when a Java exception is pending, leaving it
  // pending.
  void jniCheck();
  // Returns a new local reference to a Java string decoded from the bytes of
  // `s` with the runtime's default character set. Does not check for a
  // pending exception.
  jstring platformToJavaString(const char* s);

  JavaVM* jvm;
  JNIEnv* env;

 private:
  void callMain();
};

// The description being run in process; read by exitHook.
extern javaVm* HACKvm;
// The exit code last passed to exitHook.
extern volatile jint jniExitCode;

// The VM's "exit" hook: deletes the temporary files of HACKtempFileArray,
// records the code, restarts the launcher on the restart code and ends the
// process. Safe on any Java thread; a second concurrent call waits for the
// first to end the process. Does not return.
void JNICALL exitHook(jint code);

#endif
