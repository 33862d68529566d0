#include "vm/unix/jniVmUnix.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/testSupport.h"
#include "util/pathServices.h"
#include "util/processGlobals.h"
#include "util/strings.h"

namespace {

typedef std::vector<std::string> strings;

char* copy(const std::string& s) { return createStringCopy(s.c_str()); }

// The text split at line feeds; a final line feed ends the last line.
strings lines(const std::string& text) {
  strings result;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

void makeDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1))
    mkdir(path.substr(0, slash).c_str(), 0755);
  mkdir(path.c_str(), 0755);
}

// The launch description's own Java path, hidden in jniVmUnix by the static
// lookup of the same name.
const char* descriptionJavaPath(const jniVmUnix& vm) {
  return static_cast<const javaVm&>(vm).getJavaPath();
}

// Restores an environment variable's value, or its absence, when it goes.
class savedVariable {
 public:
  explicit savedVariable(const char* name) : name(name) {
    const char* value = getenv(name);
    wasSet = value != nullptr;
    if (wasSet) saved = value;
  }
  ~savedVariable() {
    if (wasSet)
      setenv(name, saved.c_str(), 1);
    else
      unsetenv(name);
  }

 private:
  const char* name;
  bool wasSet;
  std::string saved;
};

class debugOn {
 public:
  debugOn() { debug = 1; }
  ~debugOn() { debug = 0; }
};

// Handler and the flags a caller chooses; the C library adds flags of its
// own when a disposition is set again.
bool sameDisposition(const struct sigaction& a, const struct sigaction& b) {
  const int chosen =
      SA_RESTART | SA_SIGINFO | SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
  return a.sa_handler == b.sa_handler &&
         (a.sa_flags & chosen) == (b.sa_flags & chosen);
}

void markingHandler(int) {}

class jniVmUnixTest : public ::testing::Test {
 protected:
  // Writes an executable stand-in for the Java program at `relative` in the
  // scratch directory. It records its arguments, argument 0 first, one per
  // line, into `record`, then runs `body`. Returns its path.
  std::string standIn(const std::string& relative,
                      const std::string& body = "exit 0") {
    std::string path = scratch / relative;
    makeDirectories(path.substr(0, path.rfind('/')));
    writeFile(path,
              "#!/bin/sh\n"
              "for a in \"$0\" \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                  record + "'\n" + body + "\n",
              0755);
    return path;
  }

  strings recorded() { return lines(readFile(record)); }

  scratchDirectory scratch;
  std::string record = scratch / "arguments";
};

// Sends `signal` to the whole test process once the file `ready` exists
// (Java runs), then creates `done` if one is named. The sender blocks every
// signal itself, so the runner's thread takes it.
std::thread signalWhenReady(const std::string& ready, int signal,
                            const std::string& done = "") {
  return std::thread([ready, signal, done] {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    for (int i = 0; i < 6000 && !fileExists(ready); i++)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(getpid(), signal);
    if (!done.empty()) writeFile(done, "");
  });
}

}  // namespace

TEST_F(jniVmUnixTest, childGetsTheDescriptionInOrderAndDebugEchoesIt) {
  struct {
    strings classPath, bootPath, options, params;
    strings arguments;  // after the Java path
    std::string echo;   // after the Java path and a blank
  } cases[] = {
      {{"/a", "/b"},
       {"/l/app"},
       {"-Xmx1024m"},
       {"f1"},
       {"-cp", "/a:/b", "-Xbootclasspath/p:/l/app", "-Xmx1024m", "p/Main",
        "f1"},
       "-classpath /a:/b -Xbootclasspath/p:/l/app -Xmx1024m p/Main f1"},
      {{},
       {"/l/app", "/l/lib"},
       {"-Da=1", "-Db=2"},
       {"x", "two words"},
       {"-Xbootclasspath/p:/l/app:/l/lib", "-Da=1", "-Db=2", "p/Main", "x",
        "two words"},
       "-Xbootclasspath/p:/l/app:/l/lib -Da=1 -Db=2 p/Main x two words"},
      {{"/a"},
       {},
       {},
       {"f1", "f2"},
       {"-cp", "/a", "p/Main", "f1", "f2"},
       "-classpath /a p/Main f1 f2"},
      {{}, {}, {}, {}, {"p/Main"}, "p/Main"},
  };
  std::string java = standIn("j/bin/java");
  debugOn tracing;
  for (const auto& c : cases) {
    jniVmUnix vm;
    vm.setJavaPath(copy(java));
    vm.setMainClass(copy("p.Main"));
    for (const std::string& e : c.classPath) vm.addPath(copy(e));
    for (const std::string& e : c.bootPath) vm.addBootPath(copy(e));
    for (const std::string& e : c.options) vm.addVmOption(copy(e));
    for (const std::string& e : c.params) vm.addParam(copy(e));
    vm.setExitCode(99);
    capturedOutput out(STDOUT_FILENO, scratch / "out");
    vm.run();
    std::string echo = out.finish();

    strings expected{java};
    expected.insert(expected.end(), c.arguments.begin(), c.arguments.end());
    EXPECT_EQ(expected, recorded()) << c.echo;
    EXPECT_EQ(java + " " + c.echo, echo);
    EXPECT_EQ(0, vm.getExitCode());
  }
}

TEST_F(jniVmUnixTest, nothingIsEchoedWithoutDebug) {
  jniVmUnix vm;
  vm.setJavaPath(copy(standIn("j/bin/java")));
  vm.setMainClass(copy("Main"));
  vm.addPath(copy("/a"));
  capturedOutput out(STDOUT_FILENO, scratch / "out");
  vm.run();
  EXPECT_EQ("", out.finish());
  EXPECT_EQ((strings{scratch / "j/bin/java", "-cp", "/a", "Main"}), recorded());
}

TEST_F(jniVmUnixTest, bootOptionFollowsTheRuntimeReleaseFile) {
  struct {
    const char* release;  // "" for none
    const char* option;
  } cases[] = {
      {"", "-Xbootclasspath/p:"},
      {"JAVA_VERSION=\"1.8.0_392\"\n", "-Xbootclasspath/p:"},
      {"JAVA_VERSION=\"9\"\n", "-Xbootclasspath/a:"},
      {"JAVA_VERSION=\"17.0.2\"\n", "-Xbootclasspath/a:"},
  };
  std::string java = standIn("home/bin/java");
  for (const auto& c : cases) {
    unlink((scratch / "home/release").c_str());
    if (*c.release) writeFile(scratch / "home/release", c.release);
    jniVmUnix vm;
    vm.setJavaPath(copy(java));
    vm.setMainClass(copy("Main"));
    vm.addBootPath(copy("/l/app"));
    vm.addBootPath(copy("/l/lib"));
    vm.run();
    EXPECT_EQ((strings{java, std::string(c.option) + "/l/app:/l/lib", "Main"}),
              recorded())
        << c.release;
  }
}

TEST_F(jniVmUnixTest, echoIsWrittenBeforeJavaWrites) {
  std::string java = standIn("j/bin/java", "echo from java; exit 0");
  debugOn tracing;
  jniVmUnix vm;
  vm.setJavaPath(copy(java));
  vm.setMainClass(copy("Main"));
  capturedOutput out(STDOUT_FILENO, scratch / "out");
  vm.run();
  EXPECT_EQ(java + " Main" + "from java\n", out.finish());
}

TEST_F(jniVmUnixTest, missingMainClassFailsBeforeAnyLookup) {
  savedVariable home("JAVA_HOME"), path("PATH");
  unsetenv("JAVA_HOME");
  makeDirectories(scratch / "empty");
  setenv("PATH", (scratch / "empty").c_str(), 1);
  debugOn tracing;

  jniVmUnix withoutJava;
  capturedOutput out(STDOUT_FILENO, scratch / "out");
  EXPECT_EQ("Main class not defined.",
            thrownMessage([&] { withoutJava.run(); }));
  EXPECT_EQ(nullptr, descriptionJavaPath(withoutJava));

  jniVmUnix withJava;
  withJava.setJavaPath(copy(standIn("j/bin/java")));
  EXPECT_EQ("Main class not defined.", thrownMessage([&] { withJava.run(); }));
  EXPECT_EQ("", out.finish());
  EXPECT_FALSE(fileExists(record));
}

TEST_F(jniVmUnixTest, configuredJavaPathIsUsedAsWritten) {
  savedVariable home("JAVA_HOME");
  standIn("home/bin/java");
  setenv("JAVA_HOME", (scratch / "home").c_str(), 1);
  standIn("j/bin/java");
  std::string written = scratch.path() + "/j//bin/../bin/java";
  jniVmUnix vm;
  vm.setJavaPath(copy(written));
  vm.setMainClass(copy("Main"));
  vm.run();
  EXPECT_EQ((strings{written, "Main"}), recorded());
  EXPECT_EQ(written, descriptionJavaPath(vm));
}

TEST_F(jniVmUnixTest, javaPathIsLookedUpWhenNoneIsConfigured) {
  savedVariable home("JAVA_HOME");
  std::string java = standIn("home/bin/java", "exit 4");
  setenv("JAVA_HOME", (scratch / "home").c_str(), 1);
  jniVmUnix vm;
  vm.setMainClass(copy("Main"));
  vm.run();
  EXPECT_EQ((strings{java, "Main"}), recorded());
  EXPECT_EQ(java, descriptionJavaPath(vm));
  EXPECT_EQ(4, vm.getExitCode());
}

TEST_F(jniVmUnixTest, getJavaPathTriesJavaHomeThenPath) {
  savedVariable home("JAVA_HOME"), path("PATH");
  standIn("home/bin/java");
  standIn("second/java");
  makeDirectories(scratch / "first");
  std::string both = scratch / "first" + ":" + scratch / "second";
  // An empty JAVA_HOME names /bin/java, which this machine may have.
  std::string emptyHome =
      testFile("/bin/java") ? "/bin/java" : scratch / "second/java";
  struct {
    const char* javaHome;  // null: unset
    std::string path;
    std::string found;
  } cases[] = {
      {"home", both, scratch / "home/bin/java"},
      {"home/", both, scratch / "home//bin/java"},
      {"first", both, scratch / "second/java"},
      {nullptr, both, scratch / "second/java"},
      {"", both, emptyHome},
  };
  for (const auto& c : cases) {
    if (!c.javaHome)
      unsetenv("JAVA_HOME");
    else if (!*c.javaHome)
      setenv("JAVA_HOME", "", 1);
    else
      setenv("JAVA_HOME", (scratch / c.javaHome).c_str(), 1);
    setenv("PATH", c.path.c_str(), 1);
    ownedString found(jniVmUnix::getJavaPath());
    EXPECT_EQ(c.found, found.get()) << (c.javaHome ? c.javaHome : "<unset>");
  }
}

TEST_F(jniVmUnixTest, noRuntimeAnywhereGivesTheTwoLineMessage) {
  savedVariable home("JAVA_HOME"), path("PATH");
  makeDirectories(scratch / "empty");
  setenv("JAVA_HOME", (scratch / "empty").c_str(), 1);
  setenv("PATH", (scratch / "empty").c_str(), 1);

  ownedString message(jniVmUnix::getNoJreMessage());
  strings parts = lines(message.get());
  ASSERT_EQ(2u, parts.size());
  EXPECT_EQ(
      "Unable to find a Java Runtime. Please download and install a Java "
      "Runtime from",
      parts[0]);
  EXPECT_EQ(0u, parts[1].find("http"));
  const std::string page = "/fenwrite/resources/javaruntime.html";
  ASSERT_GE(parts[1].size(), page.size());
  EXPECT_EQ(page, parts[1].substr(parts[1].size() - page.size()));
  EXPECT_NE('\n', message.get()[strlen(message.get()) - 1]);

  EXPECT_EQ(message.get(),
            thrownMessage([] { delete[] jniVmUnix::getJavaPath(); }));

  debugOn tracing;
  jniVmUnix vm;
  vm.setMainClass(copy("Main"));
  capturedOutput out(STDOUT_FILENO, scratch / "out");
  EXPECT_EQ(message.get(), thrownMessage([&] { vm.run(); }));
  EXPECT_EQ("", out.finish());
  EXPECT_EQ(nullptr, descriptionJavaPath(vm));
}

TEST_F(jniVmUnixTest, exitStatusOfTheChildBecomesTheExitCode) {
  struct {
    const char* body;
    int exitCode;
  } cases[] = {
      {"exit 0", 0},
      {"exit 3", 3},
      {"exit 255", 255},  // what a Java program's exit(-1) leaves
      {"kill -KILL $$", 128 + SIGKILL},
      {"kill -TERM $$", 128 + SIGTERM},
      // The launcher ignores SIGINT while Java runs; Java must not.
      {"kill -INT $$", 128 + SIGINT},
  };
  for (const auto& c : cases) {
    jniVmUnix vm;
    vm.setJavaPath(copy(standIn("j/bin/java", c.body)));
    vm.setMainClass(copy("Main"));
    vm.setRestartCode(3);
    vm.setExitCode(99);
    vm.run();
    EXPECT_EQ(c.exitCode, vm.getExitCode()) << c.body;
    EXPECT_EQ(c.exitCode == 3, vm.shouldRestart()) << c.body;
  }
}

TEST_F(jniVmUnixTest, unexecutableJavaEndsOnlyTheChildWith127) {
  makeDirectories(scratch / "directory");
  writeFile(scratch / "notExecutable", "#!/bin/sh\nexit 0\n", 0644);
  struct {
    const char* name;
    int error;
  } cases[] = {
      {"missing", ENOENT},
      {"directory", EACCES},
      {"notExecutable", EACCES},
  };
  debugOn tracing;
  for (const auto& c : cases) {
    std::string java = scratch / c.name;
    jniVmUnix vm;
    vm.setJavaPath(copy(java));
    vm.setMainClass(copy("Main"));
    pid_t testProcess = getpid();
    capturedOutput err(STDERR_FILENO, scratch / "err");
    capturedOutput out(STDOUT_FILENO, scratch / "out");
    vm.run();
    // Were the child to come back from run, this line would appear twice.
    printf("after run in %d\n", static_cast<int>(getpid()));
    std::string written = out.finish();
    strings reported = lines(err.finish());

    EXPECT_EQ(127, vm.getExitCode()) << c.name;
    EXPECT_EQ(
        java + " Main" + "after run in " + std::to_string(testProcess) + "\n",
        written);
    ASSERT_EQ(1u, reported.size()) << c.name;
    EXPECT_NE(std::string::npos, reported[0].find(java)) << reported[0];
    EXPECT_NE(std::string::npos, reported[0].find(strerror(c.error)))
        << reported[0];
  }
}

TEST_F(jniVmUnixTest, terminationSignalsArePassedOnToJava) {
  for (int signal : {SIGTERM, SIGHUP}) {
    std::string ready = scratch / "ready";
    unlink(ready.c_str());
    struct sigaction before;
    sigaction(signal, nullptr, &before);
    jniVmUnix vm;
    vm.setJavaPath(
        copy(standIn("j/bin/java", "echo > '" + ready + "'; exec sleep 60")));
    vm.setMainClass(copy("Main"));

    std::thread sender = signalWhenReady(ready, signal);
    vm.run();
    sender.join();
    EXPECT_EQ(128 + signal, vm.getExitCode()) << strsignal(signal);

    struct sigaction after;
    sigaction(signal, nullptr, &after);
    EXPECT_TRUE(sameDisposition(before, after)) << strsignal(signal);
  }
}

TEST_F(jniVmUnixTest, interruptWhileJavaRunsLeavesTheLauncherRunning) {
  std::string ready = scratch / "ready", go = scratch / "go";
  jniVmUnix vm;
  vm.setJavaPath(
      copy(standIn("j/bin/java", "echo > '" + ready + "'\nwhile [ ! -e '" + go +
                                     "' ]; do sleep 0.01; done\nexit 5")));
  vm.setMainClass(copy("Main"));
  std::thread sender = signalWhenReady(ready, SIGINT, go);
  vm.run();
  sender.join();
  EXPECT_EQ(5, vm.getExitCode());
}

TEST_F(jniVmUnixTest, runRestoresTheCallersSignalHandling) {
  const int signals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
  struct sigaction original[4], before[4];
  for (int i = 0; i < 4; i++) {
    struct sigaction chosen;
    memset(&chosen, 0, sizeof chosen);
    sigemptyset(&chosen.sa_mask);
    chosen.sa_handler = i % 2 ? SIG_IGN : markingHandler;
    chosen.sa_flags = i == 0 ? SA_RESTART : 0;
    sigaction(signals[i], &chosen, &original[i]);
    sigaction(signals[i], nullptr, &before[i]);
  }
  sigset_t maskBefore;
  sigprocmask(SIG_BLOCK, nullptr, &maskBefore);

  jniVmUnix vm;
  vm.setJavaPath(copy(standIn("j/bin/java", "exit 0")));
  vm.setMainClass(copy("Main"));
  vm.run();

  for (int i = 0; i < 4; i++) {
    struct sigaction after;
    sigaction(signals[i], nullptr, &after);
    EXPECT_TRUE(sameDisposition(before[i], after)) << strsignal(signals[i]);
    sigaction(signals[i], &original[i], nullptr);
  }
  sigset_t maskAfter;
  sigprocmask(SIG_BLOCK, nullptr, &maskAfter);
  for (int signal : {SIGTERM, SIGHUP})
    EXPECT_EQ(sigismember(&maskBefore, signal), sigismember(&maskAfter, signal))
        << strsignal(signal);
}

TEST_F(jniVmUnixTest, javaKeepsTheSignalsTheCallerIgnoredAndNoOthers) {
  // Under nohup the launcher starts with SIGHUP ignored: Java must inherit
  // that, while the SIGINT and SIGQUIT that the launcher itself ignores
  // during the run act as usual for Java.
  struct sigaction ignore, previous;
  memset(&ignore, 0, sizeof ignore);
  sigemptyset(&ignore.sa_mask);
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGHUP, &ignore, &previous);
  std::string ignored = scratch / "ignored";
  jniVmUnix vm;
  vm.setJavaPath(copy(standIn(
      "j/bin/java", "grep '^SigIgn:' /proc/$$/status > '" + ignored + "'")));
  vm.setMainClass(copy("Main"));
  vm.run();
  sigaction(SIGHUP, &previous, nullptr);

  std::string line = readFile(ignored);
  ASSERT_EQ(0u, line.find("SigIgn:")) << line;
  unsigned long long mask = strtoull(line.c_str() + 7, nullptr, 16);
  EXPECT_TRUE(mask & (1ULL << (SIGHUP - 1))) << line;
  EXPECT_FALSE(mask & (1ULL << (SIGINT - 1))) << line;
  EXPECT_FALSE(mask & (1ULL << (SIGQUIT - 1))) << line;
  EXPECT_FALSE(mask & (1ULL << (SIGTERM - 1))) << line;
}

TEST(jniVmUnix, offersNoInProcessEntryPoint) {
  jniVmUnix vm;
  char javaPath[] = "/usr/lib/jvm/some/bin/java";
  EXPECT_EQ(nullptr, vm.getJniCreateVmPtr(javaPath));
  EXPECT_EQ(nullptr, vm.getJniCreateVmPtr(nullptr));
  EXPECT_EQ(nullptr, createPtr);
}
