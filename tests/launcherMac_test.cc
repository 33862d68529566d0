// End-to-end tests of launcher-mac, the deliverable that runs the Java VM
// inside its own process. Off the Mac it is linked against the installed
// JDK's libjvm, so each test packs a copy of it with a fixture archive into a
// single-file executable and runs that with the real VM.
//
// Sanitizer build: these tests run there too. AddressSanitizer and
// UndefinedBehaviorSanitizer host the VM in process (tried with the JDK 17
// here: creation, exits from any thread, restart and natives all work).
// LeakSanitizer, however, reports the many blocks that libjvm allocates and
// never frees before the process ends, so the launcher is run with a
// suppression of leaks allocated under libjvm.
// The launcher's own allocations on its way into and out of the VM are still
// checked; those made in natives called from Java fall under the suppression.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "tests/testSupport.h"

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A copy of launcher-mac carrying the archive of a Java fixture whose
// comment holds `comment`, in a scratch directory of its own.
class macApp {
 public:
  macApp(const std::string& fixture, const std::string& comment)
      : exe(dir / "app") {
    packExecutable(LAUNCHER_MAC,
                   std::string(FIXTURE_DIR) + "/" + fixture + ".jar", comment,
                   exe);
    if (LAUNCHER_SANITIZED) writeFile(dir / "lsan.supp", "leak:libjvm.so\n");
  }

  runResult run(std::vector<std::string> args,
                runOptions options = runOptions()) const {
    args.insert(args.begin(), exe);
    if (LAUNCHER_SANITIZED)
      options.environment.push_back(
          "LSAN_OPTIONS=suppressions=" + (dir / "lsan.supp") +
          ":print_suppressions=0");
    return runProgram(args, options);
  }

  scratchDirectory dir;
  const std::string exe;
};

const char reportComment[] =
    "mainclass inprocess.Report\n"
    "vmparam -Dfixture.vm=1\n";

}  // namespace

TEST(launcherMac, runsMainClassFromExecutableInsideItsOwnProcess) {
  macApp app("inProcessApp", reportComment);
  runOptions options;
  options.environment = {"LC_ALL=C.UTF-8"};
  runResult result = app.run({"x", "\xc3\xbc", "\xe6\x97\xa5\xe6\x9c\xac",
                              "-J-Dfixture.dashj=2", "two words"},
                             options);

  ASSERT_EQ(0, result.status) << result.err;
  std::vector<std::string> lines = splitLines(result.out);
  std::vector<std::string> expected = {
      "parent " + std::to_string(getpid()),  // no java child in between
      "command " + app.exe,
      "loader boot",  // the classes come from the executable itself
      "args 4",
      "arg x",
      "arg \\u00fc",
      "arg \\u65e5\\u672c",
      "arg two words",
      "property fixture.dashj=2",
      "property fixture.vm=1",
  };
  ASSERT_EQ(expected.size() + 1, lines.size()) << result.out;
  EXPECT_EQ(0u, lines[0].rfind("pid ", 0)) << result.out;
  EXPECT_EQ(expected, std::vector<std::string>(lines.begin() + 1, lines.end()));
}

TEST(launcherMac, passesEmptyArrayWithoutParameters) {
  macApp app("inProcessApp", reportComment);
  runResult result = app.run({});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_TRUE(contains(result.out, "\nargs 0\n")) << result.out;
}

// Parameters are handed to Java as bytes for the runtime's default character
// set to decode, not as modified UTF-8: under Latin-1 the two bytes of "ü"
// become two characters.
TEST(launcherMac, decodesParametersWithDefaultCharset) {
  struct {
    std::string extraComment;
    std::string expected;
  } cases[] = {
      {"", "arg \\u00fc"},
      {"vmparam -Dfile.encoding=ISO-8859-1\n", "arg \\u00c3\\u00bc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extraComment);
    macApp app("inProcessApp", reportComment + c.extraComment);
    runOptions options;
    options.environment = {"LC_ALL=C.UTF-8"};
    runResult result = app.run({"\xc3\xbc"}, options);
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_TRUE(contains(result.out, "\n" + c.expected + "\n")) << result.out;
  }
}

// The trace line reads like a Java command line; it is flushed before the
// program writes anything. The runtime here is newer than 8, so the boot
// path goes behind the runtime's own classes with "/a:" ("/p:" would make the
// VM refuse to start).
TEST(launcherMac, debugEchoesCommandLineBeforeProgramOutput) {
  macApp app("inProcessApp", reportComment);
  runResult result =
      app.run({"+DEBUG", "x", "\xc3\xbc", "-J-Dfixture.dashj=2"});

  ASSERT_EQ(0, result.status) << result.err;
  std::vector<std::string> lines = splitLines(result.out);
  ASSERT_LE(3u, lines.size()) << result.out;
  EXPECT_EQ("using config file " + app.exe, lines[0]);
  EXPECT_EQ("java -Xbootclasspath/a:" + app.exe +
                " -Dfixture.vm=1 -Dtavimor.executable.path=" + app.exe +
                " -Dfixture.dashj=2 inprocess/Report x \xc3\xbc",
            lines[1]);
  EXPECT_EQ(0u, lines[2].rfind("pid ", 0)) << result.out;
}

// Off the Mac as on it, the VM is the one the launcher is linked with,
// whatever "javapath" says; only the trace shows the path.
TEST(launcherMac, javaPathDoesNotChooseTheVm) {
  macApp app("inProcessApp",
             std::string(reportComment) + "javapath /nonexistent/bin/java\n");
  runResult result = app.run({"+DEBUG"});
  ASSERT_EQ(0, result.status) << result.err;
  std::vector<std::string> lines = splitLines(result.out);
  ASSERT_LE(3u, lines.size()) << result.out;
  EXPECT_EQ(0u, lines[1].rfind("/nonexistent/bin/java -Xbootclasspath/a:", 0))
      << lines[1];
  EXPECT_TRUE(contains(result.out, "\ncommand " + app.exe + "\n"))
      << result.out;
}

TEST(launcherMac, fileAssociationNativesAnswerFalse) {
  macApp app("associationApp", "mainclass association.Main\n");
  const std::string programOutput =
      "check false\n"
      "check false\n"
      "added\n"
      "added\n"
      "other thread check false\n";

  runResult quiet = app.run({});
  ASSERT_EQ(0, quiet.status) << quiet.err;
  EXPECT_EQ(programOutput, quiet.out);

  runResult traced = app.run({"+DEBUG"});
  ASSERT_EQ(0, traced.status) << traced.err;
  std::vector<std::string> lines = splitLines(traced.out);
  ASSERT_LE(2u, lines.size()) << traced.out;
  // Strings reach the platform side in modified UTF-8: U+1F600 as two
  // encoded surrogates.
  std::string echoed = traced.out.substr(lines[0].size() + lines[1].size() + 2);
  EXPECT_EQ(
      "checkAssociation(a, b, c, d)\n"
      "check false\n"
      "checkAssociation(.txt, (null), \xc3\xbc\xed\xa0\xbd\xed\xb8\x80, "
      "(null))\n"
      "check false\n"
      "addAssociation(.txt, text/plain, Text, /Apps/App)\n"
      "added\n"
      "addAssociation((null), (null), (null), (null))\n"
      "added\n"
      "checkAssociation(e, f, g, h)\n"
      "other thread check false\n",
      echoed);
}

TEST(launcherMac, incompleteNativesClassStopsBeforeMain) {
  macApp app("badNativesApp", "mainclass badnatives.Main\n");
  runResult result = app.run({});
  EXPECT_EQ(0, result.status);
  EXPECT_FALSE(contains(result.out, "main reached")) << result.out;
  EXPECT_TRUE(contains(result.err, "NoSuchMethodError")) << result.err;
  EXPECT_TRUE(contains(result.err, "addAssociation0")) << result.err;
}

TEST(launcherMac, exitCodeComesFromSystemExitOnAnyThread) {
  struct {
    std::vector<std::string> args;
    std::set<int> statuses;
  } cases[] = {
      {{"return"}, {0}},
      {{"main", "3"}, {3}},
      {{"thread", "4"}, {4}},
      // main has returned and the launcher waits in the VM's destruction
      // when the other thread ends the process.
      {{"afterMain", "5"}, {5}},
      // Two threads exiting at once: one of them wins, nothing hangs.
      {{"race", "6", "7"}, {6, 7}},
      {{"main", "255"}, {255}},
  };
  macApp app("inProcessApp", "mainclass inprocess.Exits\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    runResult result = app.run(c.args);
    EXPECT_EQ(1u, c.statuses.count(result.status))
        << "status " << result.status << "\n"
        << result.err;
    EXPECT_FALSE(contains(result.out, "still running")) << result.out;
  }
}

TEST(launcherMac, exceptionFromMainIsDescribed) {
  macApp app("inProcessApp", "mainclass inprocess.Exits\n");
  runResult result = app.run({"throw"});
  EXPECT_EQ(0, result.status);
  EXPECT_TRUE(
      contains(result.err,
               "java.lang.IllegalStateException: deliberate failure in main"))
      << result.err;
  EXPECT_TRUE(contains(result.err, "at inprocess.Exits.main")) << result.err;
}

TEST(launcherMac, restartsThroughExitHookOnRestartCode) {
  struct {
    const char* name;
    std::string comment;
    std::string firstCode;
    int status;
    std::string runs;
  } cases[] = {
      {"restart", "restartcode 9\n", "9", 0, "2"},
      {"restart with environment dump", "restartcode 9\nexportenv\n", "9", 0,
       "2"},
      {"other code ends", "restartcode 9\nexportenv\n", "4", 4, "1"},
      {"no restart code", "", "9", 9, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    macApp app("inProcessApp", "mainclass inprocess.Restart\n" + c.comment);
    std::string counter = app.dir / "runs";
    std::set<std::string> before = environmentDumps();
    runResult result = app.run({counter, c.firstCode}, runOptions());

    EXPECT_EQ(c.status, result.status) << result.err;
    EXPECT_EQ(c.runs, readFile(counter));
    // Each run saw its own dump file, and none outlives the launch, whether
    // the exit hook or the driver ended the run.
    std::set<std::string> after = environmentDumps();
    for (const std::string& line : splitLines(result.out)) {
      if (line.rfind("dump ", 0) != 0) continue;
      std::string path = line.substr(5, line.rfind(' ') - 5);
      EXPECT_EQ("dump " + path + " true", line);
      EXPECT_EQ(0u, before.count(path)) << path;
      EXPECT_EQ(0u, after.count(path)) << path;
      EXPECT_FALSE(fileExists(path)) << path;
    }
    if (contains(c.comment, "exportenv")) {
      EXPECT_TRUE(contains(result.out, "dump /tmp/")) << result.out;
    }
  }
}

TEST(launcherMac, unknownVmOptionFailsCreation) {
  struct {
    std::string comment;
    std::vector<std::string> args;
  } cases[] = {
      {"mainclass inprocess.Report\nvmparam -XX:+NoSuchOption\n", {}},
      {"mainclass inprocess.Report\nvmparam -Xnonsense\n", {}},
      {"mainclass inprocess.Report\n", {"-J-Xnonsense"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.comment);
    macApp app("inProcessApp", c.comment);
    runResult result = app.run(c.args);
    EXPECT_EQ(254, result.status);
    EXPECT_EQ("VM creation failed.\n", result.out);
  }
}

TEST(launcherMac, missingMainClassIsDescribedByJava) {
  macApp app("inProcessApp", "mainclass no.such.Main\n");
  runResult result = app.run({});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.out);
  EXPECT_TRUE(contains(result.err, "NoClassDefFoundError: no/such/Main"))
      << result.err;
}

TEST(launcherMac, reportsUndefinedMainClass) {
  macApp app("inProcessApp", "vmparam -Dfixture.vm=1\n");
  runResult result = app.run({});
  EXPECT_EQ(254, result.status);
  EXPECT_EQ("Main class not defined.\n", result.out);
}
