// launcher-unix run as a user runs it: a copy of the program in a scratch
// directory (so that the ".config" beside it and any appended archive belong
// to one test), started with a command line, an environment and a working
// directory. Most tests name a stand-in "java" script through "javapath",
// which records the command line it was given; the tests that need a real
// Java program run the echoApp fixture.
#include <arpa/inet.h>
#include <fcntl.h>
#include <glob.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/testSupport.h"

TEST(launcherUnix, reportsMissingConfiguration) {
  scratchDirectory dir;
  std::string copy = dir / "app";
  writeFile(copy, readFile(LAUNCHER_UNIX), 0755);
  runResult result = runProgram({copy});
  EXPECT_EQ(254, result.status);
  EXPECT_NE(std::string::npos, result.out.find("No configuration found"));
}

namespace {

const char kMainClass[] = "e2e/echo/Main";
const char kEchoJar[] = FIXTURE_DIR "/echoApp.jar";

// Records its arguments, one per line, in "<its path>.args", keeps a copy
// of the environment dump named on its command line in "<its path>.envdump"
// (the launcher deletes the original) and ends with the status that an
// "exit:N" parameter asks for. It prints nothing, so that the tests can
// compare the launcher's own output exactly.
const char kStandInJava[] = R"(#!/bin/sh
: > "$0.args"
code=0
for a in "$@"; do
  printf '%s\n' "$a" >> "$0.args"
  case "$a" in
    -Dtavimor.exportenv=*) /bin/cp "${a#-Dtavimor.exportenv=}" "$0.envdump" ;;
    exit:*) code="${a#exit:}" ;;
  esac
done
exit "$code"
)";

// Replaces every "@DIR@" by `dir` and every "@JAVA@" by `java`.
std::string expand(std::string text, const std::string& dir,
                   const std::string& java = "") {
  const std::pair<std::string, std::string> tokens[] = {{"@DIR@", dir},
                                                        {"@JAVA@", java}};
  for (const auto& [token, value] : tokens) {
    for (size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + value.size()))
      text.replace(at, token.size(), value);
  }
  return text;
}

std::vector<std::string> expandAll(std::vector<std::string> texts,
                                   const std::string& dir) {
  for (std::string& text : texts) text = expand(text, dir);
  return texts;
}

// A scratch directory holding a copy of launcher-unix named "app" and the
// stand-in Java program "java".
struct installation {
  scratchDirectory dir;
  std::string app = dir / "app";
  std::string java = dir / "java";

  installation() {
    writeFile(app, readFile(LAUNCHER_UNIX), 0755);
    writeFile(java, kStandInJava, 0755);
  }
  // Replaces the launcher by one with the fixture archive appended, whose
  // comment is `comment`.
  void appendArchive(const std::string& comment) {
    packExecutable(LAUNCHER_UNIX, kEchoJar, comment, app);
  }
  // Directives that start the stand-in with the fixture's main class.
  std::string standInConfig(const std::string& more = "") const {
    return "javapath " + java + "\nmainclass e2e.echo.Main\n" + more;
  }
  std::string expand(const std::string& text) const {
    return ::expand(text, dir.path(), java);
  }
  bool javaRan() const { return fileExists(java + ".args"); }
  std::vector<std::string> javaArguments() const {
    return splitLines(readFile(java + ".args"));
  }
  // The program parameters that the stand-in received: its arguments after
  // the main class.
  std::vector<std::string> javaParameters() const {
    std::vector<std::string> args = javaArguments();
    for (size_t i = 0; i < args.size(); i++)
      if (args[i] == kMainClass)
        return std::vector<std::string>(args.begin() + i + 1, args.end());
    ADD_FAILURE() << "no main class among the Java arguments";
    return {};
  }
  // The boot class path arguments that the stand-in received.
  std::vector<std::string> bootPathArguments() const {
    std::vector<std::string> found;
    for (const std::string& arg : javaArguments())
      if (arg.rfind("-Xbootclasspath/", 0) == 0) found.push_back(arg);
    return found;
  }
};

// True when `arguments` hold a boot class path argument naming exactly
// `path`.
bool bootPathIs(const std::vector<std::string>& arguments,
                const std::string& path) {
  return arguments.size() == 1 &&
         (arguments[0] == "-Xbootclasspath/a:" + path ||
          arguments[0] == "-Xbootclasspath/p:" + path);
}

// Environment dump files in /tmp whose content holds `marker`: those of
// launches that ran with the marker in their environment. Other tests may
// create and delete dumps at the same time, so only the marker tells ours.
std::vector<std::string> dumpsWith(const std::string& marker) {
  std::vector<std::string> found;
  for (const std::string& path : environmentDumps())
    if (readFile(path).find(marker) != std::string::npos) found.push_back(path);
  return found;
}

// ---------------------------------------------------------------------------
// Command line

TEST(launcherUnix, commandLineSwitches) {
  struct scenario {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;  // exact standard output
    bool javaRuns;
    std::vector<std::string> parameters;  // what Java receives
  };
  const scenario scenarios[] = {
      {"+GUI is dropped",
       {"+GUI", "a", "+GUI"},
       0,
       "",
       true,
       {"a", "from beside"}},
      {"look-alikes of switches are parameters",
       {"+debug", "+CONFIGx", "+gui", "+Shell", "+ DEBUG"},
       0,
       "",
       true,
       {"+debug", "+CONFIGx", "+gui", "+Shell", "+ DEBUG", "from beside"}},
      {"+CONFIG last",
       {"a", "+CONFIG"},
       254,
       "+CONFIG must be followed by a path\n",
       false,
       {}},
      {"+CONFIG takes +DEBUG as its path and debug stays off",
       {"+CONFIG", "+DEBUG", "a"},
       0,
       "",
       true,
       {"a", "from +DEBUG"}},
      {"the last +CONFIG wins; switches may stand among parameters",
       {"x", "+CONFIG", "first.config", "+CONFIG", "@DIR@/second.config", "y"},
       0,
       "",
       true,
       {"x", "y", "from second"}},
      {"every +CONFIG file must be readable",
       {"+CONFIG", "missing.config", "+CONFIG", "second.config"},
       254,
       "Unable to open '@DIR@/missing.config'\n",
       false,
       {}},
  };
  for (const scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    installation in;
    writeFile(in.app + ".config", in.standInConfig("addparam from beside\n"));
    writeFile(in.dir / "+DEBUG", in.standInConfig("addparam from +DEBUG\n"));
    writeFile(in.dir / "first.config",
              in.standInConfig("addparam from first\n"));
    writeFile(in.dir / "second.config",
              in.standInConfig("addparam from second\n"));
    std::vector<std::string> argv{in.app};
    for (const std::string& arg : s.args) argv.push_back(in.expand(arg));
    runOptions options;
    options.directory = in.dir.path();

    runResult result = runProgram(argv, options);

    EXPECT_EQ(s.status, result.status) << result.out << result.err;
    EXPECT_EQ(in.expand(s.out), result.out);
    EXPECT_EQ("", result.err);
    ASSERT_EQ(s.javaRuns, in.javaRan());
    if (s.javaRuns) {
      EXPECT_EQ(s.parameters, in.javaParameters());
    }
  }
}

TEST(launcherUnix, javaCommandLineAndDebugTrace) {
  installation in;
  writeFile(in.app + ".config", in.standInConfig("vmparam -Dv=1\n"));

  runResult result = runProgram({in.app, "+DEBUG", "a b", "-J-Dj=1", "c"});

  EXPECT_EQ(0, result.status) << result.err;
  // The trace ends without a line feed: nothing follows it, as the stand-in
  // prints nothing.
  EXPECT_EQ(in.expand("using config file @DIR@/app.config\n"
                      "@JAVA@ -Dv=1 -Dtavimor.executable.path=@DIR@/app "
                      "-Dj=1 e2e/echo/Main a b c"),
            result.out);
  // The "-J-" parameter became the last VM option.
  EXPECT_EQ(in.expand("-Dv=1\n-Dtavimor.executable.path=@DIR@/app\n-Dj=1\n"
                      "e2e/echo/Main\na b\nc\n"),
            readFile(in.java + ".args"));
}

// ---------------------------------------------------------------------------
// Configuration sources

TEST(launcherUnix, configurationSourcePrecedence) {
  struct scenario {
    const char* name;
    bool configArgument, beside, archive;
    const char* winner;
  };
  const scenario scenarios[] = {
      {"+CONFIG over all", true, true, true, "from +CONFIG"},
      {"+CONFIG over the file beside", true, true, false, "from +CONFIG"},
      {"+CONFIG over the archive comment", true, false, true, "from +CONFIG"},
      {"the file beside over the archive comment", false, true, true,
       "from beside"},
      {"the file beside alone", false, true, false, "from beside"},
      {"the archive comment alone", false, false, true, "from archive"},
  };
  for (const scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    installation in;
    std::vector<std::string> argv{in.app};
    if (s.archive)
      in.appendArchive(in.standInConfig("addparam from archive\n"));
    if (s.beside)
      writeFile(in.app + ".config", in.standInConfig("addparam from beside\n"));
    if (s.configArgument) {
      writeFile(in.dir / "chosen.config",
                in.standInConfig("addparam from +CONFIG\n"));
      argv.insert(argv.end(), {"+CONFIG", in.dir / "chosen.config"});
    }

    runResult result = runProgram(argv);

    EXPECT_EQ(0, result.status) << result.out << result.err;
    ASSERT_TRUE(in.javaRan()) << result.out;
    EXPECT_EQ(std::vector<std::string>{s.winner}, in.javaParameters());
    // An appended archive puts the executable on the boot class path,
    // whichever source configures the launch.
    if (s.archive) {
      EXPECT_TRUE(bootPathIs(in.bootPathArguments(), in.app));
    } else {
      EXPECT_TRUE(in.bootPathArguments().empty());
    }
  }
}

TEST(launcherUnix, launchThroughSymbolicLinkUsesConfigurationBesideTarget) {
  scratchDirectory dir;
  mkdir((dir / "real").c_str(), 0755);
  mkdir((dir / "links").c_str(), 0755);
  std::string target = dir / "real/app";
  std::string link = dir / "links/app";
  std::string java = dir / "real/java";
  writeFile(java, kStandInJava, 0755);
  std::string config = "javapath " + java + "\nmainclass e2e.echo.Main\n";
  packExecutable(LAUNCHER_UNIX, kEchoJar, config + "addparam from archive\n",
                 target);
  writeFile(target + ".config", config + "addparam from beside target\n");
  ASSERT_EQ(0, symlink(target.c_str(), link.c_str()));

  runResult result = runProgram({link, "+DEBUG"});

  EXPECT_EQ(0, result.status) << result.out << result.err;
  EXPECT_EQ("using config file " + target + ".config\n",
            result.out.substr(0, result.out.find('\n') + 1));
  std::vector<std::string> args = splitLines(readFile(java + ".args"));
  ASSERT_FALSE(args.empty());
  // The archive found through the link puts the link on the boot path.
  EXPECT_TRUE(bootPathIs({args[0]}, link)) << args[0];
  EXPECT_EQ((std::vector<std::string>{"-Dtavimor.executable.path=" + target,
                                      kMainClass, "from beside target"}),
            std::vector<std::string>(args.begin() + 1, args.end()));
}

// ---------------------------------------------------------------------------
// Failures

TEST(launcherUnix, noConfigurationSourceNamesWhereItLooked) {
  installation in;

  runResult result = runProgram({in.app, "a"});

  EXPECT_EQ(254, result.status);
  EXPECT_EQ(1u, splitLines(result.out).size()) << result.out;
  EXPECT_NE(std::string::npos, result.out.find("'" + in.app + ".config'"));
  EXPECT_NE(std::string::npos, result.out.find("'" + in.app + "'"));
  EXPECT_FALSE(in.javaRan());
}

TEST(launcherUnix, failuresAreReportedWithStatus254) {
  struct scenario {
    const char* name;
    std::string beside;  // the ".config" beside the launcher; "" for none
    bool emptyArchive;   // appends an archive with an empty comment
    std::string out;
  };
  const scenario scenarios[] = {
      {"unreadable file beside", "<directory>", false,
       "Unable to open '@DIR@/app.config'\n"},
      {"unreadable include", "@CONFIG@include sub/missing.config\n", false,
       "Unable to open '@DIR@/sub/missing.config'\n"},
      {"unrecognized directive", "@CONFIG@vmparam -Da=b\nbogus 1\n", false,
       "Unrecognized directive 'bogus'\n"},
      {"archive with an empty comment", "", true, "Main class not defined.\n"},
  };
  for (const scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    installation in;
    if (s.emptyArchive) in.appendArchive("");
    if (s.beside == "<directory>") {
      mkdir((in.app + ".config").c_str(), 0755);
    } else if (!s.beside.empty()) {
      std::string text = s.beside;
      text.replace(text.find("@CONFIG@"), 8, in.standInConfig());
      writeFile(in.app + ".config", text);
    }

    runResult result = runProgram({in.app, "a"});

    EXPECT_EQ(254, result.status);
    EXPECT_EQ(in.expand(s.out), result.out);
    EXPECT_EQ("", result.err);
    EXPECT_FALSE(in.javaRan());
  }
}

TEST(launcherUnix, missingJavaProgramEndsWithStatus127) {
  installation in;
  writeFile(in.app + ".config", "javapath nowhere/java\nmainclass a.B\n");

  runResult result = runProgram({in.app});

  EXPECT_EQ(127, result.status);
  EXPECT_EQ("", result.out);
  std::vector<std::string> lines = splitLines(result.err);
  ASSERT_EQ(1u, lines.size()) << result.err;
  EXPECT_EQ('\n', result.err.back());
  EXPECT_NE(std::string::npos, lines[0].find(in.dir / "nowhere/java"));
}

// ---------------------------------------------------------------------------
// Environment dump

TEST(launcherUnix, exportenvDumpHoldsTheEscapedEnvironment) {
  installation in;
  writeFile(in.app + ".config", in.standInConfig("exportenv\n"));

  // Exactly these variables, in this order.
  runResult result =
      runProgram({"/usr/bin/env", "-i", "A=1", "B=x\\y", "C=tab\there",
                  "D=caf\xe9", "E=", "F=a=b", in.app});

  EXPECT_EQ(0, result.status) << result.out << result.err;
  ASSERT_TRUE(in.javaRan());
  EXPECT_EQ(
      "A=1\n"
      "B=x\\\\y\n"
      "C=tab\\u0009here\n"
      "D=caf\\u00e9\n"
      "E=\n"
      "F=a=b\n",
      readFile(in.java + ".envdump"));
  std::vector<std::string> args = in.javaArguments();
  std::string option = "-Dtavimor.exportenv=";
  std::string dump;
  for (const std::string& arg : args)
    if (arg.rfind(option, 0) == 0) dump = arg.substr(option.size());
  EXPECT_EQ(0u, dump.rfind("/tmp/tavimor-envdump-", 0)) << dump;
  EXPECT_FALSE(fileExists(dump));
}

TEST(launcherUnix, exportenvDumpIsRemovedWhateverTheOutcome) {
  struct scenario {
    const char* name;
    std::string more;  // directives after "exportenv"
    std::vector<std::string> args;
    int status;
    bool javaRuns;
  };
  const scenario scenarios[] = {
      {"Java succeeds", "", {}, 0, true},
      {"Java fails", "", {"exit:3"}, 3, true},
      {"a message after the dump was written", "bogus\n", {}, 254, false},
  };
  for (const scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    installation in;
    writeFile(in.app + ".config", in.standInConfig("exportenv\n" + s.more));
    std::string marker = "E2E_DUMP_MARKER=" + in.dir.path();
    runOptions options;
    options.environment = {marker};
    std::vector<std::string> argv{in.app};
    argv.insert(argv.end(), s.args.begin(), s.args.end());

    runResult result = runProgram(argv, options);

    EXPECT_EQ(s.status, result.status) << result.out << result.err;
    ASSERT_EQ(s.javaRuns, in.javaRan());
    if (s.javaRuns) {
      EXPECT_NE(std::string::npos,
                readFile(in.java + ".envdump").find(marker + "\n"));
    }
    EXPECT_EQ(std::vector<std::string>{}, dumpsWith(marker));
  }
}

// ---------------------------------------------------------------------------
// Forwarding to a running instance

TEST(launcherUnix, shellForwardsEachParameterToTheRunningInstance) {
  installation in;
  localSocket instance(true);
  writeFile(
      in.app + ".config",
      in.standInConfig("socket " + std::to_string(instance.getPort()) + "\n"));
  mkdir((in.dir / "work").c_str(), 0755);
  runOptions options;
  options.directory = in.dir / "work";

  runResult result = runProgram(
      {in.app, "a.txt", "+SHELL", "sub/../b c.txt", "/abs/d", "-J-Xmx64m"},
      options);

  EXPECT_EQ(0, result.status) << result.out << result.err;
  EXPECT_EQ("", result.out);
  EXPECT_EQ("", result.err);
  EXPECT_FALSE(in.javaRan());
  EXPECT_EQ(expandAll({"open @DIR@/work/a.txt", "open @DIR@/work/b c.txt",
                       "open /abs/d", "open @DIR@/work/-J-Xmx64m"},
                      in.dir.path()),
            instance.messages());
}

TEST(launcherUnix, shellWithoutParametersSendsNothingAndStartsNothing) {
  installation in;
  localSocket instance(true);
  writeFile(
      in.app + ".config",
      in.standInConfig("socket " + std::to_string(instance.getPort()) + "\n"));

  runResult result = runProgram({in.app, "+SHELL"});

  EXPECT_EQ(0, result.status) << result.out << result.err;
  EXPECT_EQ("", result.out);
  EXPECT_FALSE(in.javaRan());
  EXPECT_EQ(std::vector<std::string>{}, instance.messages());
}

TEST(launcherUnix, shellStartsJavaWhenNoInstanceListens) {
  struct scenario {
    const char* name;
    bool socketDirective;
    bool debug;
  };
  const scenario scenarios[] = {
      {"nothing listens on the port", true, false},
      {"nothing listens, traced", true, true},
      {"no socket directive", false, false},
  };
  for (const scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    installation in;
    localSocket closedPort(false);
    writeFile(in.app + ".config",
              in.standInConfig(
                  s.socketDirective
                      ? "socket " + std::to_string(closedPort.getPort()) + "\n"
                      : ""));
    std::vector<std::string> argv{in.app, "+SHELL", "a", "-J-Xmx64m", "b"};
    if (s.debug) argv.push_back("+DEBUG");
    runOptions options;
    options.directory = in.dir.path();

    runResult result = runProgram(argv, options);

    EXPECT_EQ(0, result.status) << result.out << result.err;
    ASSERT_TRUE(in.javaRan());
    std::vector<std::string> args = in.javaArguments();
    ASSERT_GE(args.size(), 2u);
    EXPECT_EQ("-Xmx64m", args[args.size() - 4]);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), in.javaParameters());
    if (s.debug) {
      EXPECT_EQ(0u, result.out.find(in.expand("using config file @DIR@/"
                                              "app.config\n"
                                              "sendCommand open @DIR@/a\n")))
          << result.out;
      EXPECT_EQ("Can't send message\n", result.err);
    } else {
      EXPECT_EQ("", result.out);
      EXPECT_EQ("", result.err);
    }
  }
}

// ---------------------------------------------------------------------------
// Runs with a real Java runtime

// The home of the Java runtime that the build found.
std::string defaultJavaHome() {
  char* resolved = realpath(JAVA_PROGRAM, nullptr);
  std::string home = resolved ? resolved : JAVA_PROGRAM;
  free(resolved);
  return home.substr(0, home.rfind("/bin/java"));
}

std::string javaVersionOf(const std::string& home) {
  for (const std::string& line : splitLines(readFile(home + "/release")))
    if (line.rfind("JAVA_VERSION=", 0) == 0) return line.substr(13);
  return "";
}

// Finds the build's Java through PATH, as a user without JAVA_HOME would.
runOptions withInstalledJava() {
  runOptions options;
  const char* path = getenv("PATH");
  options.environment = {"PATH=" + defaultJavaHome() +
                         "/bin:" + (path ? path : "/usr/bin:/bin")};
  options.unset = {"JAVA_HOME"};
  return options;
}

// Checks what the echoApp fixture reports for a single-file executable
// `app` started with `argument` and made with "vmparam -Dx=y".
void expectSingleFileLaunch(const runResult& result, const std::string& app,
                            const std::string& argument) {
  EXPECT_EQ(7, result.status) << result.out << result.err;
  std::vector<std::string> lines = splitLines(result.out);
  auto has = [&](const std::string& line) {
    for (const std::string& l : lines)
      if (l == line) return true;
    return false;
  };
  EXPECT_TRUE(has("arg=" + argument)) << result.out;
  EXPECT_TRUE(has("arg=show:x")) << result.out;
  EXPECT_TRUE(has("prop x=y")) << result.out;
  EXPECT_TRUE(has("prop tavimor.executable.path=" + app)) << result.out;
  // The classes come out of the executable itself, through the boot path.
  EXPECT_TRUE(has("loader=boot")) << result.out;
  EXPECT_TRUE(has("resource=jar:file:" + app + "!/e2e/echo/Main.class"))
      << result.out;
}

TEST(launcherUnix, singleFileExecutableRunsWithTheInstalledJava) {
  scratchDirectory dir;
  std::string app = dir / "app";
  packExecutable(LAUNCHER_UNIX, kEchoJar,
                 "vmparam -Dx=y\nmainclass e2e.echo.Main\n", app);

  runResult result =
      runProgram({app, "two words", "show:x", "exit:7"}, withInstalledJava());

  expectSingleFileLaunch(result, app, "two words");
}

TEST(launcherUnix, singleFileExecutableRunsWithAnotherJdkFromJavaHome) {
  std::string defaultVersion = javaVersionOf(defaultJavaHome());
  std::vector<std::string> others;
  glob_t found;
  if (glob("/usr/lib/jvm/*/bin/java", 0, nullptr, &found) == 0) {
    for (size_t i = 0; i < found.gl_pathc; i++) {
      std::string home(found.gl_pathv[i]);
      home.erase(home.rfind("/bin/java"));
      std::string version = javaVersionOf(home);
      char* resolved = realpath(home.c_str(), nullptr);
      if (!resolved) continue;
      std::string canonical(resolved);
      free(resolved);
      bool known = false;
      for (const std::string& other : others) known |= other == canonical;
      if (!version.empty() && version != defaultVersion && !known)
        others.push_back(canonical);
    }
    globfree(&found);
  }
  if (others.empty()) GTEST_SKIP() << "no JDK besides " << defaultVersion;

  for (const std::string& home : others) {
    SCOPED_TRACE(home);
    scratchDirectory dir;
    std::string app = dir / "app";
    packExecutable(LAUNCHER_UNIX, kEchoJar,
                   "vmparam -Dx=y\nmainclass e2e.echo.Main\n", app);
    runOptions options;
    options.environment = {"JAVA_HOME=" + home};

    runResult result =
        runProgram({app, "one", "show:x", "show:java.home", "exit:7"}, options);

    expectSingleFileLaunch(result, app, "one");
    EXPECT_NE(std::string::npos,
              result.out.find("prop java.home=" + home + "\n"))
        << result.out;
  }
}

TEST(launcherUnix, restartCodeStartsTheLauncherAgain) {
  scratchDirectory dir;
  std::string app = dir / "app";
  packExecutable(LAUNCHER_UNIX, kEchoJar,
                 "restartcode 3\nmainclass e2e.echo.Main\n", app);
  std::string counter = dir / "runs";
  std::string argument = "restart:" + counter + ":3";

  runResult result = runProgram({app, argument}, withInstalledJava());

  EXPECT_EQ(0, result.status) << result.out << result.err;
  EXPECT_EQ("2", readFile(counter));
  // The second launch got the same arguments as the first.
  std::vector<std::string> argumentLines;
  for (const std::string& line : splitLines(result.out))
    if (line.rfind("arg=", 0) == 0) argumentLines.push_back(line);
  EXPECT_EQ(std::vector<std::string>(2, "arg=" + argument), argumentLines);
}

TEST(launcherUnix, sigtermReachesJavaAndTheDumpIsRemoved) {
  scratchDirectory dir;
  std::string app = dir / "app";
  packExecutable(LAUNCHER_UNIX, kEchoJar,
                 "exportenv\nmainclass e2e.echo.Main\n", app);
  std::string ready = dir / "ready";
  std::string marker = "E2E_DUMP_MARKER=" + dir.path();
  runOptions options = withInstalledJava();
  options.environment.push_back(marker);
  options.timeoutSeconds = 180;

  // Java announces its parent, the launcher, once it runs; the launcher is
  // then sent SIGTERM.
  std::atomic<bool> done(false);
  std::string announcement;
  std::thread terminator([&] {
    while (!done && !fileExists(ready))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (done) return;
    announcement = readFile(ready);
    pid_t launcher = atoi(splitLines(announcement)[0].substr(9).c_str());
    // Only the launcher itself: were Java orphaned, its parent would be
    // another process.
    std::string commandLine =
        readFile("/proc/" + std::to_string(launcher) + "/cmdline");
    if (commandLine.find(app + '\0') != std::string::npos)
      kill(launcher, SIGTERM);
  });
  runResult result = runProgram({app, "sleep:" + ready}, options);
  done = true;
  terminator.join();

  EXPECT_EQ(143, result.status) << result.out << result.err;
  EXPECT_EQ("dump=present", splitLines(announcement + "\n\n").at(1));
  EXPECT_EQ(std::vector<std::string>{}, dumpsWith(marker));
}

}  // namespace
