// The launch description: everything that decides how the Java application
// is started, the outcome of the run and the launch's temporary files. It is
// also the abstract root of the runner classes; the driver builds the
// platform's runner and fills it through these operations.
//
// Ownership: every string handed to an operation passes to the description
// (except addTempFile, which copies), and the description frees what it
// does not store. The destructor deletes the registered temporary files.
#ifndef LAUNCHER_VM_JAVAVM_H
#define LAUNCHER_VM_JAVAVM_H

#include <cstdint>

#include "util/stringArray.h"

class javaVm {
 public:
  javaVm();
  // Deletes the temporary files, then frees every string.
  ~javaVm();
  javaVm(const javaVm&) = delete;
  javaVm& operator=(const javaVm&) = delete;

  // Runs the Java program described; the outcome is left in the exit code.
  // Failures are thrown as owned message strings.
  virtual void run() = 0;

  // Returns a new string: the entries of `list` joined by the path-list
  // separator ("" for an empty list).
  char* createPath(const stringArray* list) const;

  // Replaces (and frees) the Java program's path.
  void setJavaPath(char* s);
  // Replaces (and frees) the main class; "." becomes "/" in place.
  void setMainClass(char* s);
  // Appends a class path entry unless the boot or skip path holds it.
  void addPath(char* s);
  // Takes the entry off the class path and appends it to the boot path
  // unless the skip path holds it.
  void addBootPath(char* s);
  // Takes the entry off both paths and appends it to the skip path.
  void addSkipPath(char* s);
  void addVmOption(char* s);
  void addParam(char* s);
  // Returns a new list holding copies of the parameters; the caller deletes
  // it.
  stringArray* getParams() const;
  void clearParams();
  // Moves every parameter starting with "-J-" to the VM options, without
  // its first two characters, keeping the order of both lists.
  void migrateDashJ();
  // Registers a copy of `path` (kept by the caller) for deletion.
  void addTempFile(const char* path);

  void setExitCode(int code) { exitCode = code; }
  int getExitCode() const { return exitCode; }
  void setRestartCode(int code) { restartCode = code; }
  // True when the exit code equals the restart code and is not 0.
  bool shouldRestart() const { return exitCode == restartCode && exitCode != 0; }
  void setSocketPort(int port) { socketPort = port; }
  int getSocketPort() const { return socketPort; }

  // Read by the runners.
  const char* getJavaPath() const { return javaPath; }
  const char* getMainClass() const { return mainClass; }
  const stringArray& getClassPath() const { return classPath; }
  const stringArray& getBootPath() const { return bootPath; }
  const stringArray& getSkipPath() const { return skipPath; }
  const stringArray& getVmOptions() const { return vmOptions; }
  const stringArray& getParamList() const { return params; }
  const stringArray& getTempFiles() const { return tempFiles; }
  int getRestartCode() const { return restartCode; }

 protected:
  int32_t exitCode;
  int32_t restartCode;
  // 0 until a "socket" directive sets it: nothing listens there, so a
  // forward without a configured port fails and Java is started.
  int32_t socketPort;
  stringArray tempFiles;
  char* javaPath;
  char* mainClass;
  stringArray classPath;
  stringArray bootPath;
  stringArray skipPath;
  stringArray vmOptions;
  stringArray params;
};

#endif
