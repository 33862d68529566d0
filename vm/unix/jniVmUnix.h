// The runner of the Unix deliverable: starts the Java runtime's own `java`
// program as a child process and waits for it.
#ifndef LAUNCHER_VM_UNIX_JNIVMUNIX_H
#define LAUNCHER_VM_UNIX_JNIVMUNIX_H

#include "vm/jniVm.h"

// Null: the Unix runner offers no in-process entry point.
extern jniCreateVmFunction createPtr;

class jniVmUnix : public jniVm {
 public:
  jniVmUnix();
  ~jniVmUnix();

  // Starts `java` with the class path, boot path, VM options, main class and
  // parameters, waits for it and records its exit status (128 + N when a
  // signal N ended it). SIGTERM and SIGHUP sent to the launcher are passed
  // on to the child; SIGINT and SIGQUIT, which reach the child through the
  // terminal, are ignored while it runs. Signals that the launcher was
  // started with ignored (nohup) stay ignored, for Java too. A child that cannot execute the
  // Java program reports why on standard error and ends with status 127.
  // A command line beyond execv's limits goes to Java 9 and later through
  // an argument file, deleted with the launch's other temporary files.
  // Throws "Main class not defined.", the no-runtime message, "fork failed"
  // and, for an older runtime, a message that the class path is too long.
  void run() override;

  // Returns createPtr (null), whatever `javaPath` is.
  jniCreateVmFunction getJniCreateVmPtr(char* javaPath) override;

  // Returns a new path of the Java program: $JAVA_HOME/bin/java when that
  // exists, else the first "java" along PATH. Throws the owned no-runtime
  // message when neither is found.
  static char* getJavaPath();

  // Returns a new copy of the two-line no-runtime message.
  static char* getNoJreMessage();
};

#endif
