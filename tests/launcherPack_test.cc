// launcher-pack as its users run it: packing a jar into an executable that
// runs, showing the directives it carries, and refusing bad input without
// leaving a file behind.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "tests/testSupport.h"

namespace {

const char kMainClass[] = "packapp.PackApp";

std::vector<std::string> listDirectory(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (!dir) return names;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

runResult pack(const std::vector<std::string>& args) {
  std::vector<std::string> argv{LAUNCHER_PACK};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv);
}

class launcherPack : public ::testing::Test {
 protected:
  // A jar of the packApp fixture whose manifest names its main class,
  // deflated as the jar tool writes by default, or stored.
  std::string jarWithMainClass(const std::string& name, bool stored) {
    std::string jar = dir / name;
    if (!stored) {
      writeFile(jar, readFile(FIXTURE_DIR "/packApp.jar"));
      runJar({"--update", "--file", jar, "--main-class", kMainClass}, "");
    } else {
      std::string classes = dir / (name + ".classes");
      mkdir(classes.c_str(), 0755);
      runJar({"--extract", "--file", FIXTURE_DIR "/packApp.jar",
              "packapp/PackApp.class"},
             classes);
      runJar({"--create", "--no-compress", "--file", jar, "--main-class",
              kMainClass, "-C", classes, "."},
             "");
    }
    return jar;
  }

  void runJar(const std::vector<std::string>& args, const std::string& cwd) {
    std::vector<std::string> argv{JAR_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    runOptions options;
    options.directory = cwd;
    runResult result = runProgram(argv, options);
    ASSERT_EQ(0, result.status) << result.err;
  }

  std::string makeDirectory(const std::string& name) {
    std::string path = dir / name;
    mkdir(path.c_str(), 0755);
    return path;
  }

  scratchDirectory dir;
};

TEST_F(launcherPack, packedJarRunsItsManifestMainClass) {
  for (bool stored : {false, true}) {
    SCOPED_TRACE(stored ? "stored manifest" : "deflated manifest");
    std::string jar = jarWithMainClass(stored ? "s.jar" : "d.jar", stored);
    std::string out = dir / (stored ? "stored-app" : "deflated-app");
    runResult packed =
        pack({"-o", out, "--vmparam", "-Dpack.greeting=hi", jar});
    ASSERT_EQ(0, packed.status) << packed.err;
    EXPECT_EQ("", packed.out + packed.err);

    struct stat status;
    ASSERT_EQ(0, stat(out.c_str(), &status));
    EXPECT_EQ(0755, status.st_mode & 07777);
    runResult run = runProgram({out, "one", "two words"});
    EXPECT_EQ(0, run.status) << run.out << run.err;
    EXPECT_EQ("PackApp ran greeting=hi one two words\n", run.out);

    runResult shown = pack({"--show", out});
    EXPECT_EQ(0, shown.status) << shown.err;
    EXPECT_EQ("mainclass packapp.PackApp\nvmparam -Dpack.greeting=hi\n",
              shown.out);
  }
}

TEST_F(launcherPack, archivePartIsTheJarWithTheDirectivesAsComment) {
  // The jar already has a comment: only that is replaced.
  std::string plain = readFile(jarWithMainClass("plain.jar", false));
  ASSERT_EQ(std::string(2, '\0'), plain.substr(plain.size() - 2));
  std::string jar = dir / "commented.jar";
  writeFile(jar, plain.substr(0, plain.size() - 2) +
                     std::string("\x05\x00", 2) + "older");
  std::string launcher = dir / "launcher";
  writeFile(launcher, readFile(LAUNCHER_UNIX), 0755);

  runResult packed = pack({"-o", dir / "app", "--launcher", launcher,
                           "--mainclass", "other.Main", jar});
  ASSERT_EQ(0, packed.status) << packed.err;
  std::string directives = "mainclass other.Main\n";
  EXPECT_EQ(readFile(launcher) + plain.substr(0, plain.size() - 2) +
                (char)directives.size() + '\0' + directives,
            readFile(dir / "app"));
}

TEST_F(launcherPack, showRoundTripsTheDirectives) {
  std::string jar = jarWithMainClass("app.jar", false);
  std::string fileText =
      "addparam first\r\n# a note\n\nexportenv\ncopyenv HOME";
  writeFile(dir / "directives", fileText);
  std::set<std::string> dumpsBefore = environmentDumps();

  runResult packed =
      pack({"-o", dir / "app", "--mainclass", kMainClass, "--vmparam",
            "-Dpack.greeting=a b", "--vmparam=-Xss2m", "--directives",
            dir / "directives", jar});
  ASSERT_EQ(0, packed.status) << packed.err;

  runResult shown = pack({"--show", dir / "app"});
  EXPECT_EQ(0, shown.status);
  EXPECT_EQ(std::string("mainclass packapp.PackApp\n") +
                "vmparam -Dpack.greeting=a b\nvmparam -Xss2m\n" + fileText +
                "\n",
            shown.out);
  // "addparam" follows the parameters of the command line.
  runResult run = runProgram({dir / "app", "given"});
  EXPECT_EQ("PackApp ran greeting=a b given first\n", run.out) << run.err;
}

TEST_F(launcherPack, mainClassOfTheDirectivesFileNeedsNoManifest) {
  // The fixture jar as built has a manifest without Main-Class.
  writeFile(dir / "directives", "mainclass packapp.PackApp\n");
  runResult packed = pack({"-o", dir / "app", "--directives",
                           dir / "directives", FIXTURE_DIR "/packApp.jar"});
  ASSERT_EQ(0, packed.status) << packed.err;
  EXPECT_EQ("mainclass packapp.PackApp\n", pack({"--show", dir / "app"}).out);
  EXPECT_EQ("PackApp ran greeting=null\n", runProgram({dir / "app"}).out);
}

TEST_F(launcherPack, includesResolveAgainstTheOutputDirectory) {
  std::string jar = jarWithMainClass("app.jar", false);
  std::string outDir = makeDirectory("bin");
  std::string sources = makeDirectory("sources");
  writeFile(sources + "/directives", "include extra.config\n");
  writeFile(outDir + "/extra.config", "vmparam -Dpack.greeting=included\n");

  runResult packed = pack(
      {"-o", outDir + "/app", "--directives", sources + "/directives", jar});
  ASSERT_EQ(0, packed.status) << packed.err;
  EXPECT_EQ("PackApp ran greeting=included\n",
            runProgram({outDir + "/app"}).out);
}

TEST_F(launcherPack, refusesBadInputAndLeavesNothingBehind) {
  std::string jar = jarWithMainClass("app.jar", false);
  writeFile(dir / "notes.txt", "no archive here, just a few words\n");
  writeFile(dir / "bogus", "vmparam -Xmx1g\nbogus line\n");
  writeFile(dir / "include", "include extra.config\n");
  writeFile(dir / "extra.config", "vmparam -Da=1\n");
  writeFile(dir / "long", "vmparam -Dx=" + std::string(65536, 'x') + "\n");
  writeFile(dir / "nul", std::string("vmparam -Da\0b\n", 14));
  std::string packedLauncher = dir / "packed";
  ASSERT_EQ(0, pack({"-o", packedLauncher, jar}).status);

  struct refusalCase {
    const char* label;
    std::vector<std::string> args;  // OUT is added first
    std::string message;
  };
  const refusalCase cases[] = {
      {"not an archive",
       {dir / "notes.txt"},
       "'" + dir / "notes.txt" +
           "' is not a ZIP archive: no end record ends the file"},
      {"missing jar",
       {dir / "missing.jar"},
       "Unable to open '" + dir / "missing.jar" + "'"},
      {"unknown directive",
       {"--directives", dir / "bogus", jar},
       "directives file '" + dir / "bogus" +
           "', line 2: Unrecognized directive 'bogus'"},
      {"include beside the directives file, not beside OUT",
       {"--directives", dir / "include", jar},
       "directives file '" + dir / "include" + "', line 1: Unable to open '" +
           dir / "out/extra.config" + "'"},
      {"directives too long",
       {"--directives", dir / "long", jar},
       // The manifest's "mainclass" line (26 bytes) counts too.
       "the directives take 65575 bytes, more than the 65535 that an archive "
       "comment holds"},
      {"NUL in the directives",
       {"--directives", dir / "nul", jar},
       "directives file '" + dir / "nul" + "' holds a NUL byte"},
      {"launcher already packed",
       {"--launcher", packedLauncher, jar},
       "launcher '" + packedLauncher +
           "' already carries an archive; name the bare launcher program"},
      {"no main class",
       {FIXTURE_DIR "/packApp.jar"},
       "no main class: give --mainclass, a \"mainclass\" line in the "
       "directives file or a Main-Class in the manifest of '" FIXTURE_DIR
       "/packApp.jar'"},
  };
  for (const refusalCase& c : cases) {
    SCOPED_TRACE(c.label);
    std::string outDir = makeDirectory("out");
    std::vector<std::string> args{"-o", outDir + "/app"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    runResult result = pack(args);
    EXPECT_EQ(1, result.status);
    EXPECT_EQ("launcher-pack: " + c.message + "\n", result.err);
    EXPECT_EQ("", result.out);
    EXPECT_EQ(std::vector<std::string>{}, listDirectory(outDir));
    rmdir(outDir.c_str());
  }
}

TEST_F(launcherPack, failedWriteRemovesItsTemporaryAndKeepsTheOldOutput) {
  std::string jar = jarWithMainClass("app.jar", false);
  std::string outDir = makeDirectory("out");
  writeFile(outDir + "/app", "previous");
  writeFile(dir / "bogus", "bogus\n");
  runResult refused =
      pack({"-o", outDir + "/app", "--directives", dir / "bogus", jar});
  EXPECT_EQ(1, refused.status);
  EXPECT_EQ("previous", readFile(outDir + "/app"));

  // A directory in OUT's place fails only at the final rename, after the
  // whole file has been written beside it.
  std::string blocked = makeDirectory("out/blocked");
  writeFile(blocked + "/keep", "");
  runResult failed = pack({"-o", blocked, jar});
  EXPECT_EQ(1, failed.status);
  EXPECT_EQ(0u, failed.err.find("launcher-pack: Unable to create '" + blocked +
                                "': "))
      << failed.err;
  EXPECT_EQ((std::vector<std::string>{"app", "blocked"}),
            listDirectory(outDir));

  runResult noDirectory = pack({"-o", dir / "none/app", jar});
  EXPECT_EQ(1, noDirectory.status);
  EXPECT_EQ("launcher-pack: Unable to create a file in '" + dir / "none" +
                "': No such file or directory\n",
            noDirectory.err);
}

TEST_F(launcherPack, showRefusesFilesWithoutDirectives) {
  std::string jar = jarWithMainClass("app.jar", false);
  writeFile(dir / "program", readFile(LAUNCHER_UNIX));
  struct showCase {
    std::string file;
    std::string message;
  };
  const showCase cases[] = {
      {dir / "program", "no archive comment ends it"},
      {jar, "its archive comment is empty"},
  };
  for (const showCase& c : cases) {
    runResult result = pack({"--show", c.file});
    EXPECT_EQ(1, result.status);
    EXPECT_EQ("launcher-pack: '" + c.file +
                  "' carries no directives: " + c.message + "\n",
              result.err);
    EXPECT_EQ("", result.out);
  }
}

TEST(launcherPackCommandLine, answersHelpVersionAndMistakes) {
  runResult help = pack({"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("Usage: launcher-pack -o OUT [--launcher FILE]"));

  runResult version = pack({"--version"});
  EXPECT_EQ(0, version.status);
  EXPECT_EQ(0u, version.out.find("launcher-pack "));
  EXPECT_TRUE(isdigit((unsigned char)version.out[14])) << version.out;

  runResult mistake = pack({"--outptu", "x", "a.jar"});
  EXPECT_EQ(2, mistake.status);
  EXPECT_EQ(
      "launcher-pack: unknown option '--outptu' (see launcher-pack "
      "--help)\n",
      mistake.err);
}

}  // namespace
