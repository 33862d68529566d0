#include "config/configFile.h"

#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "util/pathServices.h"
#include "util/platformConventions.h"
#include "util/processGlobals.h"
#include "util/stringArray.h"
#include "util/stringBuffer.h"
#include "util/strings.h"
#include "vm/javaVm.h"

namespace {

// The canonical names of the sources being parsed, outermost first, so that
// a source reached again through its own includes is refused instead of
// recursing without end.
std::vector<std::string> activeSources;

std::string canonicalName(const char* name) {
  char* resolved = realpath(name, nullptr);
  if (!resolved) return name;
  std::string result(resolved);
  free(resolved);
  return result;
}

class activeSource {
 public:
  explicit activeSource(const char* name) {
    std::string key = canonicalName(name);
    for (const std::string& active : activeSources)
      if (active == key) throwMessage("Configuration '%s' includes itself.", name);
    activeSources.push_back(key);
  }
  ~activeSource() { activeSources.pop_back(); }
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

configFile::configFile(char* name, javaVm* vm)
    : vm(vm), name(name), directory(nullptr), text(nullptr) {
  ownedString guard(name);
  int64_t size = getFileSize(name);
  ownedString content(createFileContent(name, 0, size));
  directory = createAbsolutePath(name, "..");
  text = content.release();
  guard.release();
}

configFile::configFile(char* name, javaVm* vm, char* text)
    : vm(vm), name(name), directory(nullptr), text(text) {
  ownedString guardName(name), guardText(text);
  directory = createAbsolutePath(name, "..");
  guardName.release();
  guardText.release();
}

configFile::~configFile() {
  delete[] name;
  delete[] directory;
  delete[] text;
}

void configFile::parse() {
  activeSource active(name);
  char* position = text;
  while (*position) {
    char* end = position;
    while (*end && !isLineBreak(*end)) end++;
    char* next = end;
    while (isLineBreak(*next)) next++;
    char* start = position;
    while (start < end && isBlank(*start)) start++;
    while (end > start && isBlank(end[-1])) end--;
    *end = 0;
    parseLine(start);
    position = next;
  }
}

void configFile::parseLine(char* line) {
  if (*line == 0 || *line == '#') return;
  const char* keyword = line;
  const char* argument = "";
  char* space = strchr(line, ' ');
  if (space) {
    *space = 0;
    argument = space + 1;
    while (isBlank(*argument)) argument++;
  }

  auto resolved = [&]() { return createAbsolutePath(directory, argument); };
  if (strcmp(keyword, "include") == 0) {
    configFile nested(resolved(), vm);
    nested.parse();
  } else if (strcmp(keyword, "includedir") == 0) {
    includeDir(argument);
  } else if (strcmp(keyword, "addpath") == 0) {
    vm->addPath(resolved());
  } else if (strcmp(keyword, "addjars") == 0) {
    addJars(argument, 0);
  } else if (strcmp(keyword, "addbootpath") == 0) {
    vm->addBootPath(resolved());
  } else if (strcmp(keyword, "addbootjars") == 0) {
    addJars(argument, 1);
  } else if (strcmp(keyword, "addskippath") == 0) {
    vm->addSkipPath(resolved());
  } else if (strcmp(keyword, "vmparam") == 0) {
    vm->addVmOption(createStringCopy(argument));
  } else if (strcmp(keyword, "mainclass") == 0) {
    vm->setMainClass(createStringCopy(argument));
  } else if (strcmp(keyword, "javapath") == 0) {
    vm->setJavaPath(resolved());
  } else if (strcmp(keyword, "copyenv") == 0) {
    copyEnvironment(argument);
  } else if (strcmp(keyword, "exportenv") == 0) {
    exportEnvironment();
  } else if (strcmp(keyword, "addparam") == 0) {
    vm->addParam(createStringCopy(argument));
  } else if (strcmp(keyword, "clearparams") == 0) {
    vm->clearParams();
  } else if (strcmp(keyword, "restartcode") == 0) {
    vm->setRestartCode(atoi(argument));
  } else if (strcmp(keyword, "socket") == 0) {
    vm->setSocketPort(atoi(argument));
    vm->addVmOption(createString("-Dtavimor.socket=", argument));
  } else if (specialDirective(vm, this, keyword, argument) != 0) {
    throwMessage("Unrecognized directive '%s'", keyword);
  }
}

void configFile::includeDir(const char* argument) {
  stringArray files;
  {
    ownedString resolved(createAbsolutePath(directory, argument));
    addFiles(&files, resolved.get(), "config");
  }
  for (int i = 0; i < files.size(); i++) {
    configFile nested(createStringCopy(files[i]), vm);
    nested.parse();
  }
}

void configFile::addJars(const char* argument, int boot) {
  stringArray jars;
  {
    ownedString resolved(createAbsolutePath(directory, argument));
    addFiles(&jars, resolved.get(), "jar");
  }
  for (int i = 0; i < jars.size(); i++) {
    if (boot)
      vm->addBootPath(createStringCopy(jars[i]));
    else
      vm->addPath(createStringCopy(jars[i]));
  }
}

void configFile::copyEnvironment(const char* variable) {
  ownedString value(createEnvironmentValue(variable));
  if (!value) return;
  stringBuffer option;
  option.append("-Dtavimor.copyenv.");
  option.append(variable);
  option.append("=");
  option.append(value.get());
  vm->addVmOption(option.createString());
}

void configFile::exportEnvironment() {
  stringArray names;
  addEnvironmentNames(&names);
  stringBuffer dump;
  for (int i = 0; i < names.size(); i++) {
    ownedString value(createEnvironmentValue(names[i]));
    if (!value) continue;
    dump.appendUnicode(names[i]);
    dump.append("=");
    dump.appendUnicode(value.get());
    dump.append(getLineTerminator());
  }
  ownedString content(dump.createString());
  ownedString path(writeTempFile(content.get()));
  // Registered before anything else can fail, so the file never outlives
  // the launch.
  vm->addTempFile(path.get());
  HACKtempFileArray.append(createStringCopy(path.get()));
  vm->addVmOption(createString("-Dtavimor.exportenv=", path.get()));
}
