// Bad inputs and abrupt endings, end to end: whatever a configuration, the
// appended archive or the command line holds, and however a launch ends, the
// launcher reports one clear message or passes Java's status on, and it
// leaves no temporary file in /tmp and no Java process behind. Each launch
// runs a copy of a launcher in a scratch directory of its own; a stand-in
// "java" script stands for the runtime unless a row needs the real one.
#include <glob.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/testSupport.h"

using namespace std::string_literals;

namespace {

const char kFixtureJar[] = FIXTURE_DIR "/hardeningApp.jar";

// Permission bits do not keep root from reading a file: rows about
// unreadable files run as this user when the tests run as root.
const int kNobody = 65534;

// Writes "pid=" and its process id to "<its path>.pid", records its
// arguments in "<its path>.args", writes the number of lines and the last
// line of an argument file ("@FILE") to "<its path>.argfile-lines" and
// "<its path>.argfile-last", and ends with the status that an
// "exit:N" argument asks for. It prints nothing.
const char kStandInJava[] = R"(#!/bin/sh
echo "pid=$$" > "$0.pid"
: > "$0.args"
code=0
for a in "$@"; do
  printf '%s\n' "$a" >> "$0.args"
  case "$a" in
    @*) wc -l < "${a#@}" > "$0.argfile-lines"
        tail -n 1 "${a#@}" > "$0.argfile-last" ;;
    exit:*) code="${a#exit:}" ;;
  esac
done
exit "$code"
)";

// Directives that start the stand-in with the fixture's main class.
const char kStandInRun[] = "javapath @JAVA@\nmainclass hardening.Main\n";

const char kNoConfiguration[] =
    "No configuration found: no +CONFIG file was given, '@DIR@/app.config' "
    "does not exist, and '@DIR@/app' carries no appended archive with a "
    "configuration comment.\n";

enum class launcherKind { unixLauncher, macLauncher };

// The value of the "key=" line of `file`, or "".
std::string valueIn(const std::string& file, const std::string& key) {
  for (const std::string& line : splitLines(readFile(file)))
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return "";
}

// The /tmp/tavimor-* entries now present: environment dumps and argument
// files.
std::set<std::string> temporaryFiles() {
  std::set<std::string> names;
  glob_t found;
  if (glob("/tmp/tavimor-*", 0, nullptr, &found) == 0) {
    for (size_t i = 0; i < found.gl_pathc; i++) names.insert(found.gl_pathv[i]);
    globfree(&found);
  }
  return names;
}

// The temporary files that appeared since `before` and mention `marker`.
// Tests running in parallel make and remove their own, so only the marker,
// which every launch of a test puts into its dumps and argument files,
// tells a launch's files from theirs.
std::vector<std::string> leftBehind(const std::set<std::string>& before,
                                    const std::string& marker) {
  std::vector<std::string> left;
  for (const std::string& name : temporaryFiles())
    if (!before.count(name) && readFile(name).find(marker) != std::string::npos)
      left.push_back(name);
  return left;
}

// True when process `pid` runs (a zombie has ended) with `marker` in its
// environment, which tells it from an unrelated process that got the pid.
bool runsWith(pid_t pid, const std::string& marker) {
  std::string proc = "/proc/" + std::to_string(pid);
  std::string stat = readFile(proc + "/stat");
  size_t name = stat.rfind(')');
  if (name == std::string::npos || name + 2 >= stat.size() ||
      stat[name + 2] == 'Z')
    return false;
  return readFile(proc + "/environ").find(marker + '\0') != std::string::npos;
}

// The home of the Java runtime that the build found.
std::string installedJavaHome() {
  char* resolved = realpath(JAVA_PROGRAM, nullptr);
  std::string home = resolved ? resolved : JAVA_PROGRAM;
  free(resolved);
  return home.substr(0, home.rfind("/bin/java"));
}

// A copy of a launcher named "app" in a scratch directory of its own, with
// the stand-in "java" beside it.
class launcherCopy {
 public:
  explicit launcherCopy(launcherKind kind = launcherKind::unixLauncher)
      : launcher(kind == launcherKind::unixLauncher ? LAUNCHER_UNIX
                                                    : LAUNCHER_MAC) {
    writeFile(app, readFile(launcher), 0755);
    writeFile(java, kStandInJava, 0755);
  }

  scratchDirectory dir;
  const char* launcher;
  std::string app = dir / "app";
  std::string java = dir / "java";  // the stand-in, unless a test moves it
  // In the environment of every launch, and so in its environment dumps,
  // in its Java program's environment, and (as the directory's path) in
  // every argument file.
  std::string marker = "HARDENING_MARKER=" + dir.path();

  // Where the Java program announces itself: the stand-in writes here, and
  // "pid:@PID@" makes the fixture do so.
  std::string pidFile() const { return java + ".pid"; }
  bool javaRan() const { return fileExists(pidFile()); }

  // The ".config" file beside the launcher.
  void configure(const std::string& text) const {
    writeFile(app + ".config", expand(text));
  }
  // Replaces the launcher by one with the fixture archive appended, whose
  // comment is `comment`.
  void pack(const std::string& comment) const {
    packExecutable(launcher, kFixtureJar, expand(comment), app);
  }

  // Replaces "@DIR@", "@JAVA@" and "@PID@".
  std::string expand(std::string text) const {
    const std::pair<std::string, std::string> tokens[] = {
        {"@DIR@", dir.path()}, {"@JAVA@", java}, {"@PID@", pidFile()}};
    for (const auto& [token, value] : tokens) {
      for (size_t at = text.find(token); at != std::string::npos;
           at = text.find(token, at + value.size()))
        text.replace(at, token.size(), value);
    }
    return text;
  }

  // The arguments that the stand-in received after the main class.
  std::vector<std::string> javaParameters() const {
    std::vector<std::string> args = splitLines(readFile(java + ".args"));
    auto mainClass = std::find(args.begin(), args.end(), "hardening/Main");
    if (mainClass == args.end()) return {"<no main class>"};
    return std::vector<std::string>(mainClass + 1, args.end());
  }

  // Runs the launcher with `args` (expanded) and checks that the launch
  // left no temporary file and no running Java program behind.
  runResult run(const std::vector<std::string>& args,
                runOptions options = runOptions()) const {
    std::vector<std::string> argv{app};
    for (const std::string& arg : args) argv.push_back(expand(arg));
    options.environment.push_back(marker);
    // Valgrind must read the program that it runs.
    struct stat status;
    if (stat(app.c_str(), &status) == 0 && !(status.st_mode & S_IROTH))
      options.unset.push_back("LAUNCHER_VALGRIND");
    std::set<std::string> before = temporaryFiles();

    runResult result = runProgram(argv, options);

    EXPECT_EQ(std::vector<std::string>{}, leftBehind(before, dir.path()))
        << "temporary files left behind";
    pid_t pid = atoi(valueIn(pidFile(), "pid").c_str());
    if (pid > 0 && runsWith(pid, marker)) {
      kill(pid, SIGKILL);
      ADD_FAILURE() << "the Java program " << pid << " outlived the launch";
    }
    return result;
  }
};

// Finds the build's Java through JAVA_HOME.
runOptions withInstalledJava() {
  runOptions options;
  options.environment = {"JAVA_HOME=" + installedJavaHome()};
  return options;
}

// Makes `home` a Java runtime of `version` (its release file's
// JAVA_VERSION) whose bin/java is the stand-in.
void makeFakeRuntime(const std::string& home, const std::string& version) {
  mkdir(home.c_str(), 0755);
  mkdir((home + "/bin").c_str(), 0755);
  writeFile(home + "/bin/java", kStandInJava, 0755);
  writeFile(home + "/release", "JAVA_VERSION=\"" + version + "\"\n");
}

// ---------------------------------------------------------------------------
// Bad configurations, archives, files and programs

struct badInput {
  const char* name;
  std::function<void(launcherCopy&)> prepare;
  std::vector<std::string> args;  // after argument 0
  int status;
  std::string out;      // exact standard output
  std::string errLine;  // "": nothing on standard error; else one line
                        // that holds this text
  bool javaRuns;
  std::vector<std::string> parameters = {};  // the stand-in's, if it runs
  bool unprivileged = false;  // runs as kNobody when the tests run as root
  launcherKind kind = launcherKind::unixLauncher;
};

std::string sized(std::string text, size_t size, char fill) {
  text.resize(size, fill);
  return text;
}

// Directives for the stand-in, then comment lines up to `size` bytes,
// then `last`.
std::string paddedWithComments(const std::string& first, size_t size,
                               const std::string& last) {
  std::string line = "# " + std::string(77, '-') + "\n";
  std::string text = first;
  text.reserve(size);
  while (size - text.size() - last.size() >= line.size() + 2) text += line;
  text += sized("#", size - text.size() - last.size() - 1, ' ') + "\n";
  return text + last;
}

// The fixture's archive behind the launcher, with a comment of the stand-in
// directives, then `change` applied to the whole file.
std::function<void(launcherCopy&)> packedAndChanged(
    std::function<void(std::string&)> change) {
  return [change](launcherCopy& copy) {
    copy.pack(kStandInRun);
    std::string content = readFile(copy.app);
    change(content);
    writeFile(copy.app, content, 0755);
  };
}

TEST(badInputs, eachBadInputIsReportedOrSurvived) {
  const std::string longKeyword(100000, 'k');
  // How far the header reaches depends on the linking (its ABI byte).
  const std::string image = readFile(LAUNCHER_UNIX);
  const std::string elfHead = image.substr(0, image.find('\0'));
  const badInput rows[] = {
      {"binary garbage in the configuration",
       [](launcherCopy& c) {
         c.configure(kStandInRun + "\x01\x1b\x7f\xfe\xff\x80garbage x y\n"s);
       },
       {},
       254,
       "Unrecognized directive '\x01\x1b\x7f\xfe\xff\x80garbage'\n",
       "",
       false},
      {"a NUL byte ends the configuration",
       [](launcherCopy& c) {
         c.configure(kStandInRun + "addparam before\0bogus\nbogus\n"s);
       },
       {},
       0,
       "",
       "",
       true,
       {"before"}},
      {"the launcher itself named as the configuration",
       nullptr,
       {"+CONFIG", "@DIR@/app"},
       254,
       // The ELF header up to its first NUL byte.
       "Unrecognized directive '" + elfHead + "'\n",
       "",
       false},
      {"a keyword of 100,000 bytes",
       [&](launcherCopy& c) { c.configure(longKeyword + " x\n"); },
       {},
       254,
       "Unrecognized directive '" + longKeyword + "'\n",
       "",
       false},
      {"100 MB of comment lines",
       [](launcherCopy& c) {
         c.configure(paddedWithComments("javapath @JAVA@\n", 100 << 20,
                                        "mainclass hardening.Main\n"
                                        "addparam after the comments\n"));
       },
       {},
       0,
       "",
       "",
       true,
       {"after the comments"}},
      {"an archive comment of 65,535 bytes",
       [](launcherCopy& c) {
         c.pack(paddedWithComments(c.expand(kStandInRun), 65535,
                                   "addparam from the comment\n"));
       },
       {},
       0,
       "",
       "",
       true,
       {"from the comment"}},
      {"an archive cut short",
       packedAndChanged(
           [](std::string& file) { file.resize(file.size() - 200); }),
       {},
       254,
       kNoConfiguration,
       "",
       false},
      {"an archive comment one byte short",
       packedAndChanged([](std::string& file) { file.pop_back(); }),
       {},
       254,
       kNoConfiguration,
       "",
       false},
      {"a line feed after the archive comment",
       packedAndChanged([](std::string& file) { file += '\n'; }),
       {},
       254,
       kNoConfiguration,
       "",
       false},
      {"an executable that cannot be read",
       [](launcherCopy& c) {
         c.pack(kStandInRun);
         chmod(c.app.c_str(), 0111);
       },
       {},
       254,
       "Unable to open '@DIR@/app'\n",
       "",
       false,
       {},
       true},
      {"+CONFIG naming the root directory",
       nullptr,
       {"+CONFIG", "/"},
       254,
       "Unable to open '/'\n",
       "",
       false},
      {"+CONFIG naming a device",
       nullptr,
       {"+CONFIG", "/dev/zero"},
       254,
       "Unable to open '/dev/zero'\n",
       "",
       false},
      {"an include naming a directory",
       [](launcherCopy& c) { c.configure(kStandInRun + "include /tmp\n"s); },
       {},
       254,
       "Unable to open '/tmp'\n",
       "",
       false},
      {"a FIFO as the configuration beside the launcher",
       [](launcherCopy& c) { mkfifo((c.app + ".config").c_str(), 0644); },
       {},
       254,
       "Unable to open '@DIR@/app.config'\n",
       "",
       false},
      {"a FIFO as the configuration beside launcher-mac",
       [](launcherCopy& c) { mkfifo((c.app + ".config").c_str(), 0644); },
       {},
       254,
       "Unable to open '@DIR@/app.config'\n",
       "",
       false,
       {},
       false,
       launcherKind::macLauncher},
      {"an include of a dangling symbolic link",
       [](launcherCopy& c) {
         symlink("missing.config", (c.dir / "dangling.config").c_str());
         c.configure(kStandInRun + "include dangling.config\n"s);
       },
       {},
       254,
       "Unable to open '@DIR@/dangling.config'\n",
       "",
       false},
      {"an include of a file without read permission",
       [](launcherCopy& c) {
         c.configure(kStandInRun + "include secret.config\n"s);
         writeFile(c.dir / "secret.config", "addparam secret\n", 0);
       },
       {},
       254,
       "Unable to open '@DIR@/secret.config'\n",
       "",
       false,
       {},
       true},
      {"a configuration that includes itself",
       [](launcherCopy& c) {
         c.configure(kStandInRun + "include app.config\n"s);
       },
       {},
       254,
       "Configuration '@DIR@/app.config' includes itself.\n",
       "",
       false},
      {"two configurations that include each other",
       [](launcherCopy& c) {
         c.configure(kStandInRun + "include other.config\n"s);
         writeFile(c.dir / "other.config", "include app.config\n");
       },
       {},
       254,
       "Configuration '@DIR@/app.config' includes itself.\n",
       "",
       false},
      {"an includedir naming its own directory",
       [](launcherCopy& c) {
         c.configure(kStandInRun + "includedir conf\n"s);
         mkdir((c.dir / "conf").c_str(), 0755);
         writeFile(c.dir / "conf/a.config", "includedir .\n");
       },
       {},
       254,
       "Configuration '@DIR@/conf/a.config' includes itself.\n",
       "",
       false},
      {"an include of itself through a symbolic link",
       [](launcherCopy& c) {
         c.configure(kStandInRun + "include link.config\n"s);
         symlink("app.config", (c.dir / "link.config").c_str());
       },
       {},
       254,
       "Configuration '@DIR@/link.config' includes itself.\n",
       "",
       false},
      {"a Java program that is a directory",
       [](launcherCopy& c) {
         c.configure("javapath /tmp\nmainclass hardening.Main\n");
       },
       {},
       127,
       "",
       "'/tmp'",
       false},
      {"a Java program without execute permission",
       [](launcherCopy& c) {
         chmod(c.java.c_str(), 0644);
         c.configure(kStandInRun);
       },
       {},
       127,
       "",
       "'@JAVA@'",
       false},
      {"a Java program that is no program",
       [](launcherCopy& c) {
         writeFile(c.java, "\x01\x02\x03 not a program\n", 0755);
         c.configure(kStandInRun);
       },
       {},
       127,
       "",
       "'@JAVA@'",
       false},
  };
  for (const badInput& row : rows) {
    SCOPED_TRACE(row.name);
    launcherCopy copy(row.kind);
    if (row.prepare) row.prepare(copy);
    runOptions options;
    options.timeoutSeconds = 180;
    if (row.unprivileged && geteuid() == 0) {
      options.userId = kNobody;
      chmod(copy.dir.path().c_str(), 0755);
    }

    runResult result = copy.run(row.args, options);

    EXPECT_EQ(row.status, result.status) << result.err;
    EXPECT_EQ(copy.expand(row.out), result.out);
    if (row.errLine.empty()) {
      EXPECT_EQ("", result.err);
    } else {
      std::vector<std::string> lines = splitLines(result.err);
      ASSERT_EQ(1u, lines.size()) << result.err;
      EXPECT_EQ('\n', result.err.back());
      EXPECT_NE(std::string::npos, lines[0].find(copy.expand(row.errLine)))
          << lines[0];
    }
    ASSERT_EQ(row.javaRuns, copy.javaRan());
    if (row.javaRuns) {
      EXPECT_EQ(row.parameters, copy.javaParameters());
    }
  }
}

// A program started without any argument gets an empty argument 0 from the
// kernel, or none at all: neither names the program's file.
TEST(badInputs, emptyArgumentVector) {
  launcherCopy copy;
  copy.configure(kStandInRun);

  runResult result = runProgramAs(copy.app, {});

  EXPECT_EQ(254, result.status);
  EXPECT_EQ("Unable to determine binary path\n", result.out);
  EXPECT_FALSE(copy.javaRan());
}

// 100 MB of options do not fit on a command line: they reach a runtime of
// Java 9 or later through an argument file, which goes with the launch.
TEST(badInputs, hundredMegabytesOfVmOptionsGoThroughAnArgumentFile) {
  launcherCopy copy;
  makeFakeRuntime(copy.dir / "jdk", "17.0.2");
  copy.java = copy.dir / "jdk/bin/java";
  const int optionCount = 100000;
  std::string option = "vmparam -Dp=" + std::string(1000, 'v') + "\n";
  std::string config = kStandInRun;
  config.reserve(config.size() + optionCount * option.size());
  for (int i = 0; i < optionCount; i++) config += option;
  copy.configure(config);
  runOptions options;
  options.timeoutSeconds = 600;

  runResult result = copy.run({"last"}, options);

  EXPECT_EQ(0, result.status) << result.out << result.err;
  EXPECT_EQ("", result.out);
  std::vector<std::string> args = splitLines(readFile(copy.java + ".args"));
  ASSERT_EQ(1u, args.size());
  EXPECT_EQ(0u, args[0].rfind("@/tmp/tavimor-args-", 0)) << args[0];
  // The options, the executable-path property, the main class and the
  // parameter.
  EXPECT_EQ(std::to_string(optionCount + 3) + "\n",
            readFile(copy.java + ".argfile-lines"));
  EXPECT_EQ("\"last\"\n", readFile(copy.java + ".argfile-last"));
}

// ---------------------------------------------------------------------------
// The long class path

// Fills `directory` with `count` copies of the fixture jar under long
// names, so that their joined paths exceed by far the 128 KiB that one
// argument of a command line may hold.
void makeJars(const std::string& directory, int count) {
  mkdir(directory.c_str(), 0755);
  std::string jar = readFile(kFixtureJar);
  for (int i = 0; i < count; i++) {
    writeFile(directory + "/a-library-with-a-rather-long-name-as-many-have-" +
                  std::to_string(10000 + i) + ".jar",
              jar);
  }
}

TEST(badInputs, fiveThousandJarsReachJavaThroughAnArgumentFile) {
  launcherCopy copy;
  makeJars(copy.dir / "jars", 5000);
  copy.configure("addjars jars\nmainclass hardening.Main\n");
  // The installed Java; the fixture writes the pid file where the stand-in
  // would.
  runOptions options = withInstalledJava();
  options.timeoutSeconds = 300;

  runResult result = copy.run({"pid:@PID@"}, options);

  EXPECT_EQ(0, result.status) << result.out << result.err;
  EXPECT_EQ("returning\n", result.out);
  EXPECT_EQ("5000", valueIn(copy.pidFile(), "entries"));
  std::string first = valueIn(copy.pidFile(), "first");
  EXPECT_EQ(0u, first.rfind("@/tmp/tavimor-args-", 0)) << first;
  EXPECT_FALSE(fileExists(first.substr(1)));
}

TEST(badInputs, fiveThousandJarsAreTooManyForJava8) {
  launcherCopy copy;
  makeJars(copy.dir / "jars", 5000);
  makeFakeRuntime(copy.dir / "jdk", "1.8.0_392");
  copy.java = copy.dir / "jdk/bin/java";
  copy.configure(
      "javapath jdk/bin/java\naddjars jars\nmainclass hardening.Main\n");

  runResult result = copy.run({});

  EXPECT_EQ(254, result.status) << result.err;
  EXPECT_EQ(copy.expand("The class path is too long for the Java runtime "
                        "'@DIR@/jdk/bin/java': Java 9 or later is needed to "
                        "pass it through an argument file.\n"),
            result.out);
  EXPECT_FALSE(copy.javaRan());
}

// ---------------------------------------------------------------------------
// Every way a launch ends

struct ending {
  const char* name;
  launcherKind kind;
  std::string comment;  // the archive comment
  std::vector<std::string> args;
  int signal;       // sent once the Java program runs; 0 for none
  bool toLauncher;  // the signal goes to the launcher, not to Java
  int status;
  std::string out;
  bool javaRuns;
};

// Sends `signal` to the Java program of `copy`'s launch, or to its
// launcher, as soon as the program has announced itself, unless the launch
// is over by then.
class signalSender {
 public:
  signalSender(const launcherCopy& copy, int signal, bool toLauncher)
      : thread([&copy, signal, toLauncher, this] {
          while (!done && !fileExists(copy.pidFile()))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          if (done) return;
          pid_t java = atoi(valueIn(copy.pidFile(), "pid").c_str());
          pid_t parent = atoi(valueIn(copy.pidFile(), "parent").c_str());
          pid_t target = toLauncher ? parent : java;
          // Only the launch's own processes: an orphaned Java program's
          // parent is some other process.
          if (target > 0 && runsWith(target, copy.marker)) kill(target, signal);
        }) {}
  ~signalSender() {
    done = true;
    thread.join();
  }

 private:
  std::atomic<bool> done{false};
  std::thread thread;
};

TEST(badInputs, everyEndingOfALaunchRemovesItsTemporaryFiles) {
  // Without the runtime's performance data file, which a killed Java
  // program would leave in /tmp.
  const std::string run =
      "exportenv\nvmparam -XX:-UsePerfData\nmainclass hardening.Main\n";
  const std::string restart = "restartcode 5\n" + run;
  constexpr launcherKind unixLauncher = launcherKind::unixLauncher;
  constexpr launcherKind macLauncher = launcherKind::macLauncher;
  // clang-format off
  const ending rows[] = {
      {"Java returns", unixLauncher, run,
       {"pid:@PID@"}, 0, false, 0, "returning\n", true},
      {"Java returns in process", macLauncher, run,
       {"pid:@PID@"}, 0, false, 0, "returning\n", true},
      {"a message after the dump was written", unixLauncher, run + "bogus\n",
       {"pid:@PID@"}, 0, false, 254, "Unrecognized directive 'bogus'\n", false},
      {"a message after the dump was written, in process", macLauncher,
       run + "bogus\n",
       {"pid:@PID@"}, 0, false, 254, "Unrecognized directive 'bogus'\n", false},
      {"Java fails", unixLauncher, run,
       {"pid:@PID@", "exit:3"}, 0, false, 3, "", true},
      {"System.exit in process", macLauncher, run,
       {"pid:@PID@", "exit:3"}, 0, false, 3, "", true},
      {"main throws", unixLauncher, run,
       {"pid:@PID@", "throw"}, 0, false, 1, "", true},
      {"main throws in process", macLauncher, run,
       {"pid:@PID@", "throw"}, 0, false, 0, "", true},
      {"Java killed", unixLauncher, run,
       {"pid:@PID@", "wait"}, SIGKILL, false, 137, "", true},
      {"the launcher terminated", unixLauncher, run,
       {"pid:@PID@", "wait"}, SIGTERM, true, 143, "", true},
      // In process, the launcher is the Java program.
      {"the launcher terminated in process", macLauncher, run,
       {"pid:@PID@", "wait"}, SIGTERM, false, 143, "", true},
      {"a restart", unixLauncher, restart,
       {"pid:@PID@", "restart:@DIR@/runs:5"}, 0, false, 0, "returning\n", true},
      {"a restart in process", macLauncher, restart,
       {"pid:@PID@", "restart:@DIR@/runs:5"}, 0, false, 0, "returning\n", true},
  };
  // clang-format on
  for (const ending& row : rows) {
    SCOPED_TRACE(row.name);
    // AddressSanitizer cannot host the Java VM in process.
    if (row.kind == macLauncher && LAUNCHER_SANITIZED) continue;
    launcherCopy copy(row.kind);
    copy.pack(row.comment);
    runOptions options = withInstalledJava();
    options.timeoutSeconds = 300;

    std::optional<signalSender> sender;
    if (row.signal) sender.emplace(copy, row.signal, row.toLauncher);
    runResult result = copy.run(row.args, options);
    sender.reset();

    EXPECT_EQ(row.status, result.status) << result.out << result.err;
    EXPECT_EQ(row.out, result.out) << result.err;
    ASSERT_EQ(row.javaRuns, copy.javaRan());
    if (row.javaRuns) {
      // The dump was there while Java ran.
      EXPECT_EQ("present", valueIn(copy.pidFile(), "dump"));
    }
    if (row.comment == restart) {
      EXPECT_EQ("2", readFile(copy.dir / "runs"));
    }
  }
}

}  // namespace
