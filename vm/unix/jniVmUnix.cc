#include "vm/unix/jniVmUnix.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "util/pathServices.h"
#include "util/processGlobals.h"
#include "util/stringBuffer.h"
#include "util/strings.h"
#include "vm/javaRuntimeVersion.h"
#include "vm/unix/argumentFile.h"

jniCreateVmFunction createPtr = nullptr;

namespace {

volatile sig_atomic_t childPid = 0;

void forwardSignal(int signal) {
  int saved = errno;
  if (childPid > 0) kill(childPid, signal);
  errno = saved;
}

// While alive, passes SIGTERM and SIGHUP on to the child and ignores the
// terminal's SIGINT and SIGQUIT, which the child receives itself. A signal
// that the launcher was started with ignored (as under nohup) stays ignored,
// for the child too. SIGTERM and SIGHUP are held from construction until
// releaseSignals(), called once the child's pid is known, so that none is
// lost in between; destruction restores the dispositions, then the mask.
class signalForwarding {
 public:
  signalForwarding() {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    sigprocmask(SIG_BLOCK, &held, &savedMask);
    struct sigaction action;
    memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 4; i++) {
      sigaction(kSignals[i], nullptr, &saved[i]);
      if (saved[i].sa_handler == SIG_IGN) continue;
      action.sa_handler = i < 2 ? forwardSignal : SIG_IGN;
      sigaction(kSignals[i], &action, nullptr);
    }
  }
  ~signalForwarding() {
    childPid = 0;
    restoreDispositions();
    releaseSignals();
  }
  // In the child, before exec: every signal acts as it did for the caller.
  void resetInChild() {
    restoreDispositions();
    releaseSignals();
  }
  void releaseSignals() { sigprocmask(SIG_SETMASK, &savedMask, nullptr); }

 private:
  void restoreDispositions() {
    for (int i = 0; i < 4; i++) sigaction(kSignals[i], &saved[i], nullptr);
  }
  static constexpr int kSignals[4] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
  struct sigaction saved[4];
  sigset_t savedMask;
};

void echo(const char* format, const char* text) {
  if (debug) printf(format, text);
}

}  // namespace

jniVmUnix::jniVmUnix() {}

jniVmUnix::~jniVmUnix() {}

jniCreateVmFunction jniVmUnix::getJniCreateVmPtr(char*) { return createPtr; }

char* jniVmUnix::getNoJreMessage() {
  return createStringCopy(
      "Unable to find a Java Runtime. Please download and install a Java "
      "Runtime from\n"
      "https://www.tavimor.com/fenwrite/resources/javaruntime.html");
}

char* jniVmUnix::getJavaPath() {
  const char* home = getenv("JAVA_HOME");
  if (home) {
    stringBuffer candidate;
    candidate.append(home);
    candidate.append("/bin/java");
    ownedString path(candidate.createString());
    if (testFile(path.get())) return path.release();
  }
  char* found = createExePath("java");
  if (found) return found;
  throw getNoJreMessage();
}

void jniVmUnix::run() {
  if (!mainClass) throw createStringCopy("Main class not defined.");
  if (!javaPath) javaPath = getJavaPath();

  int runtimeVersion = getProgramRuntimeVersion(javaPath);
  std::vector<char*> argv;
  argv.push_back(javaPath);
  echo("%s ", javaPath);
  ownedString joinedClassPath;
  if (classPath.size() > 0) {
    joinedClassPath.reset(createPath(&classPath));
    argv.push_back(const_cast<char*>("-cp"));
    argv.push_back(joinedClassPath.get());
    echo("-classpath %s ", joinedClassPath.get());
  }
  ownedString bootArgument;
  if (bootPath.size() > 0) {
    ownedString joined(createPath(&bootPath));
    const char* option = getBootClassPathOption(runtimeVersion);
    bootArgument.reset(createString(option, joined.get()));
    argv.push_back(bootArgument.get());
    echo("%s ", bootArgument.get());
  }
  for (int i = 0; i < vmOptions.size(); i++) {
    argv.push_back(vmOptions[i]);
    echo("%s ", vmOptions[i]);
  }
  argv.push_back(mainClass);
  echo("%s", mainClass);
  for (int i = 0; i < params.size(); i++) {
    argv.push_back(params[i]);
    echo(" %s", params[i]);
  }
  argv.push_back(nullptr);

  // Thousands of jars on the class path break execv's limits; Java 9 and
  // later read the arguments from a file instead.
  ownedString argumentFileOption;
  if (!commandLineFits(argv.data())) {
    if (runtimeVersion < 9)
      throwMessage(
          "The class path is too long for the Java runtime '%s': Java 9 or "
          "later is needed to pass it through an argument file.",
          javaPath);
    ownedString file(writeArgumentFile(argv.data()));
    addTempFile(file.get());
    HACKtempFileArray.append(createStringCopy(file.get()));
    argumentFileOption.reset(createString("@", file.get()));
    argv = {javaPath, argumentFileOption.get(), nullptr};
  }

  // Flushed now so that the echo precedes Java's output and the child does
  // not inherit unwritten bytes that it would write a second time.
  fflush(stdout);
  fflush(stderr);
  signalForwarding forwarding;
  pid_t pid = fork();
  if (pid < 0) throw createStringCopy("fork failed");
  if (pid == 0) {
    forwarding.resetInChild();
    execv(javaPath, argv.data());
    const char* reason = strerror(errno);
    dprintf(STDERR_FILENO, "Unable to execute the Java program '%s': %s\n",
            javaPath, reason);
    _exit(127);
  }
  childPid = pid;
  forwarding.releaseSignals();

  int status = 0;
  pid_t ended;
  do {
    ended = waitpid(pid, &status, 0);
  } while (ended < 0 && errno == EINTR);
  if (ended < 0) throw createStringCopy("Unable to wait for the Java program.");
  if (WIFEXITED(status))
    setExitCode(WEXITSTATUS(status));
  else if (WIFSIGNALED(status))
    setExitCode(128 + WTERMSIG(status));
}
