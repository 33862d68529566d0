#include "vm/javaRuntimeVersion.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Returns the canonical path of `path` with `levels` trailing components
// removed, or "" when it cannot be resolved.
std::string canonicalAncestor(const char* path, int levels) {
  char* resolved = realpath(path, nullptr);
  if (!resolved) return "";
  std::string result(resolved);
  free(resolved);
  for (int i = 0; i < levels; i++) {
    size_t slash = result.rfind('/');
    if (slash == std::string::npos) return "";
    result.erase(slash);
  }
  return result;
}

int versionInHome(const std::string& home) {
  if (home.empty()) return 0;
  return readReleaseVersion((home + "/release").c_str());
}

}  // namespace

int readReleaseVersion(const char* releasePath) {
  FILE* file = fopen(releasePath, "re");
  if (!file) return 0;
  int version = 0;
  char line[512];
  while (fgets(line, sizeof line, file)) {
    if (strncmp(line, "JAVA_VERSION=", 13) != 0) continue;
    const char* value = line + 13;
    if (*value == '"') value++;
    int first = atoi(value);
    if (first == 1 && value[1] == '.') first = atoi(value + 2);
    version = first > 0 ? first : 0;
    break;
  }
  fclose(file);
  return version;
}

int getProgramRuntimeVersion(const char* javaProgram) {
  // bin/java lies in the runtime's home; jre/bin/java in an old JDK has the
  // release file one level higher.
  int version = versionInHome(canonicalAncestor(javaProgram, 2));
  if (version == 0) version = versionInHome(canonicalAncestor(javaProgram, 3));
  return version;
}

int getLibraryRuntimeVersion(const void* address) {
  Dl_info info;
  if (!address || dladdr(address, &info) == 0 || !info.dli_fname) return 0;
  // lib/server/libjvm.so, or jre/lib/<arch>/server/libjvm.so in an old JDK.
  for (int levels = 3; levels <= 5; levels++) {
    int version = versionInHome(canonicalAncestor(info.dli_fname, levels));
    if (version) return version;
  }
  return 0;
}

const char* getBootClassPathOption(int version) {
  return version >= 9 ? "-Xbootclasspath/a:" : "-Xbootclasspath/p:";
}
