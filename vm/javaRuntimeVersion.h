// Finds the major version of a Java runtime from its "release" file, without
// starting anything. Runtimes of version 9 and later refuse
// "-Xbootclasspath/p:" and take "-Xbootclasspath/a:" instead.
#ifndef LAUNCHER_VM_JAVARUNTIMEVERSION_H
#define LAUNCHER_VM_JAVARUNTIMEVERSION_H

// Returns the major version in the JAVA_VERSION line of the release file
// at `releasePath` ("1.8.0_392" is 8, "17.0.2" is 17, "25" is 25), or 0 when
// the file cannot be read or holds no such line.
int readReleaseVersion(const char* releasePath);

// Returns the version of the runtime whose `java` program is at
// `javaProgram`, links followed: the release file beside its "bin"
// directory, or one level higher for a runtime nested in a JDK. 0 if unknown.
int getProgramRuntimeVersion(const char* javaProgram);

// Returns the version of the runtime whose library holds the code at
// `address` (for example JNI_CreateJavaVM of the loaded libjvm). 0 if
// unknown.
int getLibraryRuntimeVersion(const void* address);

// Returns the static boot class path option prefix for a runtime version:
// "-Xbootclasspath/a:" from 9 on, "-Xbootclasspath/p:" for older or
// unknown (0) versions.
const char* getBootClassPathOption(int version);

#endif
