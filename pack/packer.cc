#include "pack/packer.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "config/configFile.h"
#include "driver/zipComment.h"
#include "pack/manifest.h"
#include "pack/zipArchive.h"
#include "util/pathServices.h"
#include "util/platformConventions.h"
#include "util/processGlobals.h"
#include "util/strings.h"
#include "util/uniqueFile.h"

namespace {

const int kEndRecordLength = 22;
const int kCommentLengthOffset = 20;
const size_t kLargestComment = 65535;

bool hasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n") != std::string::npos;
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string readWholeFile(const char* path) {
  int64_t size = getFileSize(path);
  ownedString content(createFileContent(path, 0, size));
  return std::string(content.get(), size);
}

// The output while it is being written: a new file beside it, removed
// unless commit() renamed it into place.
class pendingOutput {
 public:
  explicit pendingOutput(const std::string& output) : output(output) {
    std::string base = output.substr(output.rfind('/') + 1);
    std::string pattern = directoryOf(output) + "/." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    fd = createUniqueFile(name.data());
    if (fd < 0)
      throwMessage("Unable to create a file in '%s': %s",
                   directoryOf(output).c_str(), strerror(errno));
    path = name.data();
  }
  ~pendingOutput() {
    if (fd >= 0) close(fd);
    if (!committed) unlink(path.c_str());
  }
  pendingOutput(const pendingOutput&) = delete;
  pendingOutput& operator=(const pendingOutput&) = delete;

  void write(const char* bytes, size_t count) {
    while (count > 0) {
      ssize_t written = ::write(fd, bytes, count);
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) throwWriteFailure();
      bytes += written;
      count -= written;
    }
  }

  // Copies `count` bytes of the file at `source` from its start.
  void copy(const char* source, int64_t count) {
    FILE* in = fopen(source, "rb");
    if (!in) throwMessage("Unable to open '%s'", source);
    char buffer[65536];
    while (count > 0) {
      size_t want = count < (int64_t)sizeof buffer ? count : sizeof buffer;
      size_t got = fread(buffer, 1, want, in);
      if (got == 0) {
        fclose(in);
        throwMessage("Unable to read '%s'", source);
      }
      try {
        write(buffer, got);
      } catch (char*) {
        fclose(in);
        throw;
      }
      count -= got;
    }
    fclose(in);
  }

  void commit() {
    if (fchmod(fd, 0755) != 0) throwWriteFailure();
    int closed = close(fd);
    fd = -1;
    if (closed != 0) throwWriteFailure();
    if (rename(path.c_str(), output.c_str()) != 0)
      throwMessage("Unable to create '%s': %s", output.c_str(),
                   strerror(errno));
    committed = true;
  }

 private:
  [[noreturn]] void throwWriteFailure() {
    throwMessage("Unable to write '%s': %s", path.c_str(), strerror(errno));
  }

  std::string output;
  std::string path;
  int fd = -1;
  bool committed = false;
};

void checkLauncher(const char* launcher) {
  if (getFileSize(launcher) < kEndRecordLength)
    throwMessage("launcher '%s' is too small to be a program", launcher);
  ownedString comment(getZipComment(launcher));
  if (comment)
    throwMessage(
        "launcher '%s' already carries an archive; name the bare "
        "launcher program",
        launcher);
}

// The offset of the jar's end record, once the jar is known to be an
// archive the way the launcher recognises one.
int64_t checkJar(const char* jar) {
  if (getFileSize(jar) < kEndRecordLength)
    throwMessage("'%s' is not a ZIP archive: it is too small", jar);
  ownedString comment(getZipComment(jar));
  if (!comment)
    throwMessage("'%s' is not a ZIP archive: no end record ends the file", jar);
  return findEndRecord(jar);
}

}  // namespace

std::string createCommandDirectives(const std::string& mainClass,
                                    const std::vector<std::string>& vmParams) {
  std::string text;
  if (!mainClass.empty()) {
    if (hasLineBreak(mainClass))
      throwMessage("the main class '%s' holds a line break", mainClass.c_str());
    text += "mainclass " + mainClass + "\n";
  }
  for (const std::string& option : vmParams) {
    if (option.empty()) throwMessage("an empty VM option was given");
    if (hasLineBreak(option))
      throwMessage("the VM option '%s' holds a line break", option.c_str());
    text += "vmparam " + option + "\n";
  }
  return text;
}

std::string createFileDirectives(const std::string& fileText,
                                 const std::string& fileName) {
  if (fileText.find('\0') != std::string::npos)
    throwMessage("directives file '%s' holds a NUL byte", fileName.c_str());
  if (fileText.empty() || fileText.back() == '\n') return fileText;
  return fileText + "\n";
}

directiveCheck::directiveCheck(const std::string& sourceName)
    : sourceName(sourceName), sharedTempFiles(HACKtempFileArray.size()) {}

directiveCheck::~directiveCheck() {
  // The launch description deletes the files it registered; the
  // process-wide list only needs to forget them.
  while (HACKtempFileArray.size() > sharedTempFiles) {
    deleteTempFile(HACKtempFileArray[HACKtempFileArray.size() - 1]);
    HACKtempFileArray.remove(HACKtempFileArray.size() - 1);
  }
}

void directiveCheck::check(const std::string& text, const std::string& origin) {
  // Line by line, so that a refusal can name its line; the reader keeps no
  // state between lines other than the launch description.
  int number = 1;
  for (size_t at = 0; at < text.size(); number++) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (text.compare(end, 2, "\r\n") == 0) at++;
    try {
      configFile source(createStringCopy(sourceName.c_str()), &vm,
                        createStringCopy(line.c_str()));
      source.parse();
    } catch (char* message) {
      ownedString guard(message);
      throwMessage("%s, line %d: %s", origin.c_str(), number, message);
    }
  }
}

std::string directiveCheck::mainClass() const {
  const char* name = vm.getMainClass();
  return name ? name : "";
}

void packLauncher(const packRequest& request) {
  const char* jar = request.jar.c_str();
  const char* launcher = request.launcher.c_str();
  int64_t endRecord = checkJar(jar);
  checkLauncher(launcher);

  std::string commandText =
      createCommandDirectives(request.mainClass, request.vmParams);
  std::string fileText;
  std::string fileOrigin;
  if (!request.directivesFile.empty()) {
    fileText = createFileDirectives(
        readWholeFile(request.directivesFile.c_str()), request.directivesFile);
    fileOrigin = "directives file '" + request.directivesFile + "'";
  }

  ownedString sourceName(createAbsolutePath(nullptr, request.output.c_str()));
  std::string mainClass;
  {
    directiveCheck check(sourceName.get());
    check.check(commandText, "command line");
    check.check(fileText, fileOrigin);
    mainClass = check.mainClass();
  }
  if (mainClass.empty()) {
    std::optional<std::string> declared = readManifestMainClass(jar);
    if (!declared)
      throwMessage(
          "no main class: give --mainclass, a \"mainclass\" line in "
          "the directives file or a Main-Class in the manifest of "
          "'%s'",
          jar);
    commandText = createCommandDirectives(*declared, {}) + commandText;
  }

  std::string text = commandText + fileText;
  if (text.size() > kLargestComment)
    throwMessage(
        "the directives take %zu bytes, more than the %zu that an "
        "archive comment holds",
        text.size(), kLargestComment);

  pendingOutput output(request.output);
  output.copy(launcher, getFileSize(launcher));
  output.copy(jar, endRecord + kCommentLengthOffset);
  const char length[2] = {(char)(text.size() & 0xff), (char)(text.size() >> 8)};
  output.write(length, 2);
  output.write(text.data(), text.size());
  output.commit();
}

std::string readCarriedDirectives(const char* path) {
  // The search's own message for this case would not name the file.
  if (getFileSize(path) < kEndRecordLength)
    throwMessage(
        "'%s' carries no directives: it is too small to hold an "
        "archive",
        path);
  ownedString comment(getZipComment(path));
  if (!comment)
    throwMessage("'%s' carries no directives: no archive comment ends it",
                 path);
  if (comment[0] == 0)
    throwMessage("'%s' carries no directives: its archive comment is empty",
                 path);
  return comment.get();
}

std::string defaultLauncherPath(const char* argv0) {
  char own[4096];
  ssize_t length = readlink("/proc/self/exe", own, sizeof own - 1);
  std::string self;
  if (length > 0) {
    self.assign(own, length);
  } else {
    ownedString found(createExePath(argv0));
    if (!found)
      throwMessage("cannot find the launcher-pack program's own path");
    self = found.get();
  }
  return directoryOf(self) + "/launcher-unix";
}
