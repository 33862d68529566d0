#include "util/pathServices.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "util/processGlobals.h"
#include "util/stringArray.h"
#include "util/strings.h"

extern char** environ;

namespace {

// Returns the working directory, grown to whatever length it has.
std::string currentDirectory() {
  std::string buffer(1024, '\0');
  for (;;) {
    if (getcwd(&buffer[0], buffer.size())) return buffer.c_str();
    if (errno != ERANGE) throwMessage("Unable to read the working directory.");
    buffer.resize(buffer.size() * 2);
  }
}

// Returns the canonical form of `base`, with the root directory as "".
std::string canonicalBase(const char* base) {
  if (*base == 0) return "";
  char* resolved = realpath(base, nullptr);
  if (!resolved) return base;
  std::string result(resolved);
  free(resolved);
  if (result == "/") result.clear();
  return result;
}

int openForReading(const char* path) {
  int fd;
  // Without O_NONBLOCK, opening a FIFO would wait for a writer forever; it
  // changes nothing for the regular files that are read.
  do {
    fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  // Only regular files have a size to read: a directory, a device or a
  // file of /proc would report none or a meaningless one.
  struct stat status;
  if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
    close(fd);
    fd = -1;
  }
  if (fd < 0) throwMessage("Unable to open '%s'", path);
  return fd;
}

}  // namespace

char* createAbsolutePath(const char* base, const char* path) {
  if (path[0] == '/') return createStringCopy(path);
  std::string result =
      base ? canonicalBase(base) : canonicalBase(currentDirectory().c_str());
  const char* component = path;
  for (;;) {
    const char* slash = strchr(component, '/');
    size_t length = slash ? (size_t)(slash - component) : strlen(component);
    if (length == 1 && component[0] == '.') {
      // skipped
    } else if (length == 2 && component[0] == '.' && component[1] == '.') {
      size_t last = result.rfind('/');
      if (last != std::string::npos) result.erase(last);
    } else if (length > 0 || slash) {
      result += '/';
      result.append(component, length);
    }
    if (!slash) break;
    component = slash + 1;
  }
  if (result.empty()) result = "/";
  return createStringCopy(result.c_str());
}

char* createExePath(const char* name) {
  // An empty name, which is what a program started with no arguments at all
  // gets as argument 0, names no program: searched along PATH it would
  // find a directory.
  if (!name || !*name) return nullptr;
  if (name[0] == '/') return createStringCopy(name);
  if (strchr(name, '/')) return createAbsolutePath(nullptr, name);
  const char* searchPath = getenv("PATH");
  if (!searchPath || !*searchPath) return nullptr;
  const char* element = searchPath;
  for (;;) {
    const char* colon = strchr(element, ':');
    std::string directoryText =
        colon ? std::string(element, colon - element) : std::string(element);
    ownedString directory(createAbsolutePath(nullptr, directoryText.c_str()));
    ownedString candidate(createAbsolutePath(directory.get(), name));
    if (testFile(candidate.get())) return candidate.release();
    if (!colon || colon[1] == 0) return nullptr;
    element = colon + 1;
  }
}

char* getExecutablePath() {
  char* resolved = realpath(HACKexePath, nullptr);
  if (!resolved) return createStringCopy(HACKexePath);
  char* result = createStringCopy(resolved);
  free(resolved);
  return result;
}

int64_t getFileSize(const char* path) {
  int fd = openForReading(path);
  off_t size = lseek(fd, 0, SEEK_END);
  close(fd);
  if (size < 0) throwMessage("Unable to read '%s'", path);
  return size;
}

char* createFileContent(const char* path, int64_t offset, int64_t count) {
  int fd = openForReading(path);
  ownedString content(new char[count + 1]);
  int64_t done = 0;
  while (done < count) {
    ssize_t n = pread(fd, content.get() + done, count - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      throwMessage("Unable to read '%s'", path);
    }
    if (n == 0) break;
    done += n;
  }
  close(fd);
  // A file that shrank meanwhile leaves no unread bytes behind the text.
  memset(content.get() + done, 0, count - done + 1);
  return content.release();
}

char* fillTempFile(char* path, int fd, const char* text) {
  ownedString owned(path);
  size_t length = strlen(text);
  size_t done = 0;
  while (done < length) {
    ssize_t n = write(fd, text + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  if (close(fd) != 0 && errno != EINTR) done = (size_t)-1;
  if (done != length) {
    unlink(path);
    throwMessage("Failed to write to temporary file.");
  }
  return owned.release();
}

std::string entryPathPrefix(const char* directory) {
  ownedString resolved(createAbsolutePath(directory, ""));
  std::string prefix(resolved.get());
  if (prefix != "/") prefix += '/';
  return prefix;
}

bool nameHasSuffix(const char* name, const char* suffix) {
  size_t nameLength = strlen(name);
  size_t suffixLength = strlen(suffix);
  return nameLength > suffixLength &&
         strcmp(name + nameLength - suffixLength, suffix) == 0 &&
         name[nameLength - suffixLength - 1] == '.';
}

char* createEnvironmentValue(const char* name) {
  const char* value = getenv(name);
  return value ? createStringCopy(value) : nullptr;
}

void addEnvironmentNames(stringArray* list) {
  for (char** entry = environ; entry && *entry; entry++) {
    const char* equals = strchr(*entry, '=');
    std::string name = equals ? std::string(*entry, equals - *entry) : *entry;
    list->append(createStringCopy(name.c_str()));
  }
}
