#include "vm/javaVm.h"

#include <cstring>

#include "util/platformConventions.h"
#include "util/stringBuffer.h"
#include "util/strings.h"

javaVm::javaVm()
    : exitCode(0),
      restartCode(0),
      socketPort(0),
      javaPath(nullptr),
      mainClass(nullptr) {}

javaVm::~javaVm() {
  for (int i = 0; i < tempFiles.size(); i++) deleteTempFile(tempFiles[i]);
  delete[] javaPath;
  delete[] mainClass;
}

char* javaVm::createPath(const stringArray* list) const {
  // Sized at once: the buffer grows in small steps, and a class path of
  // thousands of entries would otherwise be copied thousands of times.
  size_t total = 0;
  for (int i = 0; i < list->size(); i++)
    total += strlen((*list)[i]) + strlen(getPathSeparator());
  stringBuffer joined;
  if (total > 0) joined.extend((int)total);
  for (int i = 0; i < list->size(); i++) {
    if (i > 0) joined.append(getPathSeparator());
    joined.append((*list)[i]);
  }
  return joined.createString();
}

void javaVm::setJavaPath(char* s) {
  delete[] javaPath;
  javaPath = s;
}

void javaVm::setMainClass(char* s) {
  delete[] mainClass;
  for (char* p = s; *p; p++)
    if (*p == '.') *p = '/';
  mainClass = s;
}

void javaVm::addPath(char* s) {
  ownedString entry(s);
  if (bootPath.find(s, getFileStrCmp()) >= 0) return;
  if (skipPath.find(s, getFileStrCmp()) >= 0) return;
  classPath.append(entry.release());
}

void javaVm::addBootPath(char* s) {
  ownedString entry(s);
  int onClassPath = classPath.find(s, getFileStrCmp());
  if (onClassPath >= 0) classPath.remove(onClassPath);
  if (skipPath.find(s, getFileStrCmp()) >= 0) return;
  bootPath.append(entry.release());
}

void javaVm::addSkipPath(char* s) {
  ownedString entry(s);
  int onClassPath = classPath.find(s, getFileStrCmp());
  if (onClassPath >= 0) classPath.remove(onClassPath);
  int onBootPath = bootPath.find(s, getFileStrCmp());
  if (onBootPath >= 0) bootPath.remove(onBootPath);
  skipPath.append(entry.release());
}

void javaVm::addVmOption(char* s) { vmOptions.append(s); }

void javaVm::addParam(char* s) { params.append(s); }

stringArray* javaVm::getParams() const {
  stringArray* copies = new stringArray;
  for (int i = 0; i < params.size(); i++)
    copies->append(createStringCopy(params[i]));
  return copies;
}

void javaVm::clearParams() {
  while (params.size() > 0) params.remove(0);
}

void javaVm::migrateDashJ() {
  int i = 0;
  while (i < params.size()) {
    if (strncmp(params[i], "-J-", 3) == 0) {
      vmOptions.append(createStringCopy(params[i] + 2));
      params.remove(i);
    } else {
      i++;
    }
  }
}

void javaVm::addTempFile(const char* path) {
  tempFiles.append(createStringCopy(path));
}
