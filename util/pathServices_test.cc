// The path services shared by both deliverables. They are linked here with
// the Unix variants, whose testFile accepts any existing entry.
#include "util/pathServices.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/processGlobals.h"
#include "util/stringArray.h"
#include "util/strings.h"

extern char** environ;

namespace {

std::string currentDirectory() {
  char* cwd = getcwd(nullptr, 0);
  std::string result(cwd);
  free(cwd);
  return result;
}

// Takes an owned string (possibly null) and returns its text, or "<none>".
std::string taken(char* owned) {
  ownedString holder(owned);
  return owned ? std::string(owned) : "<none>";
}

void makeDirectory(const std::string& path) {
  ASSERT_EQ(0, mkdir(path.c_str(), 0755)) << path;
}

void makeLink(const std::string& target, const std::string& link) {
  ASSERT_EQ(0, symlink(target.c_str(), link.c_str())) << link;
}

// Every test may change the working directory, the environment and
// HACKexePath; all three are put back afterwards.
class pathServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedDirectory = currentDirectory();
    for (char** entry = environ; *entry; entry++)
      savedEnvironment.push_back(*entry);
    savedExePath = HACKexePath;
  }

  void TearDown() override {
    HACKexePath = savedExePath;
    clearenv();
    for (const std::string& entry : savedEnvironment) {
      size_t equals = entry.find('=');
      setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(),
             1);
    }
    EXPECT_EQ(0, chdir(savedDirectory.c_str()));
  }

  void enter(const std::string& directory) {
    ASSERT_EQ(0, chdir(directory.c_str())) << directory;
  }

  scratchDirectory scratch;

 private:
  std::string savedDirectory;
  std::vector<std::string> savedEnvironment;
  char* savedExePath;
};

}  // namespace

TEST_F(pathServicesTest, createAbsolutePathAppliesComponentsAsText) {
  const std::string root = scratch.path();
  // The first component of the canonical scratch directory: itself canonical.
  const std::string top = root.substr(0, root.find('/', 1));
  makeDirectory(root + "/a");
  makeDirectory(root + "/a/b");
  makeDirectory(root + "/x");
  makeDirectory(root + "/x/y");
  writeFile(root + "/a/b/c.config", "");
  writeFile(root + "/x/y/c.config", "");
  makeLink(root + "/x/y", root + "/link");
  makeLink("a/b", root + "/relativeLink");

  struct absoluteCase {
    std::string base;
    const char* path;
    std::string expected;
  };
  const absoluteCase cases[] = {
      {root + "/a/b", "../c", root + "/a/c"},
      {root + "/a", "b/./c/", root + "/a/b/c"},
      {root + "/a", "b//c", root + "/a/b//c"},
      {root + "/a", "b/c/..", root + "/a/b"},
      {root + "/a", "nothing/here", root + "/a/nothing/here"},
      {root + "/a", "", root + "/a"},
      {root + "/a", ".", root + "/a"},
      {root + "/a", "./", root + "/a"},
      {root + "/a/b", "../../c", root + "/c"},
      {root + "/a/b/c.config", "..", root + "/a/b"},
      {root + "/a/b/c.config", "../d.config", root + "/a/b/d.config"},
      {root + "/link/c.config", "..", root + "/x/y"},
      {root + "/link", "z", root + "/x/y/z"},
      {root + "/relativeLink", "z", root + "/a/b/z"},
      {root + "/a/../x/./y", "z", root + "/x/y/z"},
      {root + "//a///b/", "c", root + "/a/b/c"},
      {root, "/x/../y", "/x/../y"},
      {root, "/", "/"},
      {"/", "x", "/x"},
      {"/", "", "/"},
      {"/", "..", "/"},
      {"/", "../x", "/x"},
      {top, "..", "/"},
      {top, "../x", "/x"},
      // The empty directory of a file in the root directory.
      {"", "x", "/x"},
      // An unresolvable base is used as written.
      {root + "/missing", "f", root + "/missing/f"},
  };
  for (const absoluteCase& c : cases) {
    SCOPED_TRACE("base " + c.base + ", path " + c.path);
    EXPECT_EQ(c.expected, taken(createAbsolutePath(c.base.c_str(), c.path)));
  }
}

TEST_F(pathServicesTest, createAbsolutePathWithoutBaseUsesTheWorkingDirectory) {
  makeDirectory(scratch / "real");
  makeLink(scratch / "real", scratch / "viaLink");
  // Entered through a link: the base is the canonical directory.
  enter(scratch / "viaLink");
  const std::string cwd = scratch / "real";
  struct cwdCase {
    const char* path;
    std::string expected;
  };
  const cwdCase cases[] = {
      {"", cwd},
      {"./prog", cwd + "/prog"},
      {"sub/../prog", cwd + "/prog"},
      {"..", scratch.path()},
      {"/abs", "/abs"},
  };
  for (const cwdCase& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.expected, taken(createAbsolutePath(nullptr, c.path)));
  }
}

TEST_F(pathServicesTest, createAbsolutePathHandlesLongPaths) {
  // A working directory far beyond 1024 bytes.
  std::string deep = scratch.path();
  const std::string component(200, 'd');
  for (int i = 0; i < 7; i++) {
    deep += "/" + component;
    makeDirectory(deep);
  }
  enter(deep);
  EXPECT_EQ(deep, taken(createAbsolutePath(nullptr, "")));

  // A built path far beyond 4096 bytes.
  std::string longPath;
  for (int i = 0; i < 30; i++) longPath += component + "/";
  longPath += "end";
  EXPECT_EQ(deep + "/" + longPath,
            taken(createAbsolutePath(deep.c_str(), longPath.c_str())));
}

TEST_F(pathServicesTest, createExePathSearchesPath) {
  const std::string root = scratch.path();
  for (const char* directory : {"bin1", "bin2", "cwd", "cwd/rel"})
    makeDirectory(root + "/" + directory);
  writeFile(root + "/bin1/prog", "", 0755);
  writeFile(root + "/bin1/plain", "", 0644);
  writeFile(root + "/bin2/prog", "", 0755);
  writeFile(root + "/bin2/other", "", 0755);
  writeFile(root + "/cwd/local", "", 0755);
  writeFile(root + "/cwd/rel/tool", "", 0755);
  makeLink(root + "/bin1", root + "/linkbin");
  enter(root + "/cwd");

  const std::string bin1 = root + "/bin1";
  const std::string bin2 = root + "/bin2";
  struct searchCase {
    const char* name;
    std::string path;  // "<unset>": no PATH at all
    std::string expected;
  };
  const searchCase cases[] = {
      {"prog", "<unset>", "<none>"},
      {"prog", "", "<none>"},
      {"prog", bin1 + ":" + bin2, bin1 + "/prog"},
      {"prog", bin2 + ":" + bin1, bin2 + "/prog"},
      {"other", bin1 + ":" + bin2, bin2 + "/other"},
      {"prog", root + "/missing:" + bin2, bin2 + "/prog"},
      {"missing", bin1 + ":" + bin2, "<none>"},
      // No execute permission is asked for.
      {"plain", bin1, bin1 + "/plain"},
      // The directory part is canonical, the name kept as given.
      {"prog", root + "/linkbin", bin1 + "/prog"},
      {"prog", root + "/bin1/../bin2/", bin2 + "/prog"},
      // Relative and empty elements stand for the working directory.
      {"tool", "rel", root + "/cwd/rel/tool"},
      {"local", bin1 + "::" + bin2, root + "/cwd/local"},
      {"local", ":" + bin1, root + "/cwd/local"},
      {"local", bin1 + "::", root + "/cwd/local"},
      {"other", bin1 + "::", "<none>"},
      // A trailing colon adds no element.
      {"local", bin1 + ":", "<none>"},
      {"local", bin1, "<none>"},
  };
  for (const searchCase& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " in PATH " + c.path);
    if (c.path == "<unset>") {
      unsetenv("PATH");
    } else {
      setenv("PATH", c.path.c_str(), 1);
    }
    EXPECT_EQ(c.expected, taken(createExePath(c.name)));
  }
}

TEST_F(pathServicesTest, createExePathOfANameWithASlash) {
  makeDirectory(scratch / "real");
  makeLink(scratch / "real", scratch / "viaLink");
  enter(scratch / "viaLink");
  // PATH plays no part once the name holds a "/"; nothing needs to exist.
  setenv("PATH", scratch.path().c_str(), 1);
  writeFile(scratch / "prog", "", 0755);
  struct slashCase {
    const char* name;
    std::string expected;
  };
  const slashCase cases[] = {
      {"./prog", scratch / "real/prog"},
      {"sub/prog", scratch / "real/sub/prog"},
      {"../prog", scratch / "prog"},
      {"/x/../prog", "/x/../prog"},
      {"/", "/"},
  };
  for (const slashCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, taken(createExePath(c.name)));
  }
  EXPECT_EQ(nullptr, createExePath(nullptr));
}

TEST_F(pathServicesTest, getExecutablePathResolvesTheOwnPath) {
  makeDirectory(scratch / "bin");
  writeFile(scratch / "bin/launcher", "", 0755);
  makeLink(scratch / "bin/launcher", scratch / "app");
  makeLink("bin", scratch / "binLink");
  struct exeCase {
    std::string own;
    std::string expected;
  };
  const exeCase cases[] = {
      {scratch / "bin/launcher", scratch / "bin/launcher"},
      {scratch / "app", scratch / "bin/launcher"},
      {scratch / "binLink/./launcher", scratch / "bin/launcher"},
      {scratch / "bin/../app", scratch / "bin/launcher"},
      // Nothing to resolve: the own path as it is.
      {scratch / "gone", scratch / "gone"},
  };
  for (const exeCase& c : cases) {
    SCOPED_TRACE(c.own);
    std::string own = c.own;
    HACKexePath = &own[0];
    EXPECT_EQ(c.expected, taken(getExecutablePath()));
  }
}

TEST_F(pathServicesTest, getFileSizeMeasuresTheWholeFile) {
  for (size_t size : {0, 1, 12, 70000}) {
    SCOPED_TRACE(size);
    std::string path = scratch / ("file" + std::to_string(size));
    writeFile(path, std::string(size, '\0'));
    EXPECT_EQ((int64_t)size, getFileSize(path.c_str()));
  }
}

TEST_F(pathServicesTest, createFileContentReadsARange) {
  const std::string twelve = scratch / "twelve";
  writeFile(twelve, "0123456789ab");
  const std::string binary = scratch / "binary";
  writeFile(binary, std::string("a\0b\0\xff", 5));
  const std::string big = scratch / "big";
  std::string bigContent;
  for (int i = 0; i < 100000; i++) bigContent += (char)('a' + i % 26);
  writeFile(big, bigContent);

  struct rangeCase {
    std::string path;
    int64_t offset;
    int64_t count;
    std::string expected;
  };
  const rangeCase cases[] = {
      {twelve, 0, 12, "0123456789ab"},
      {twelve, 10, 5, "ab"},
      {twelve, 3, 4, "3456"},
      {twelve, 0, 100, "0123456789ab"},
      {twelve, 12, 4, ""},
      {twelve, 20, 3, ""},
      {twelve, 5, 0, ""},
      {binary, 0, 5, std::string("a\0b\0\xff", 5)},
      {binary, 1, 3, std::string("\0b\0", 3)},
      {big, 99990, 20, bigContent.substr(99990)},
      {big, 0, 100000, bigContent},
  };
  for (const rangeCase& c : cases) {
    SCOPED_TRACE(c.path + " from " + std::to_string(c.offset) + " for " +
                 std::to_string(c.count));
    ownedString content(createFileContent(c.path.c_str(), c.offset, c.count));
    // The bytes read, then a NUL, all inside the count + 1 bytes.
    EXPECT_EQ(c.expected, std::string(content.get(), c.expected.size()));
    EXPECT_EQ(0, content[c.expected.size()]);
  }
}

TEST_F(pathServicesTest, unreadableFilesAreReportedByPath) {
  makeDirectory(scratch / "dir");
  const std::string paths[] = {scratch / "missing", scratch / "dir",
                               scratch / "missing/below", ""};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const std::string message = "Unable to open '" + path + "'";
    EXPECT_EQ(message, thrownMessage([&] { getFileSize(path.c_str()); }));
    EXPECT_EQ(message, thrownMessage([&] {
                delete[] createFileContent(path.c_str(), 0, 10);
              }));
  }
}

TEST_F(pathServicesTest, unreadableFileMessageIsNotCut) {
  std::string path = scratch.path();
  for (int i = 0; i < 30; i++) path += "/" + std::string(200, 'm');
  EXPECT_EQ("Unable to open '" + path + "'",
            thrownMessage([&] { getFileSize(path.c_str()); }));
}

TEST_F(pathServicesTest, createEnvironmentValue) {
  setenv("UTILTEST_SET", "some value", 1);
  setenv("UTILTEST_EMPTY", "", 1);
  setenv("UTILTEST_EQUALS", "a=b=", 1);
  unsetenv("UTILTEST_UNSET");
  struct valueCase {
    const char* name;
    std::string expected;
  };
  const valueCase cases[] = {
      {"UTILTEST_SET", "some value"},
      {"UTILTEST_EMPTY", ""},
      {"UTILTEST_EQUALS", "a=b="},
      {"UTILTEST_UNSET", "<none>"},
  };
  for (const valueCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, taken(createEnvironmentValue(c.name)));
  }
}

TEST_F(pathServicesTest, addEnvironmentNamesListsEveryEntryInOrder) {
  setenv("UTILTEST_X", "=1", 1);
  setenv("UTILTEST_EMPTY", "", 1);
  stringArray names;
  names.append(createStringCopy("kept"));
  addEnvironmentNames(&names);

  std::vector<std::string> expected{"kept"};
  for (char** entry = environ; *entry; entry++) {
    std::string text(*entry);
    expected.push_back(text.substr(0, text.find('=')));
  }
  std::vector<std::string> actual;
  for (int i = 0; i < names.size(); i++) actual.push_back(names[i]);
  EXPECT_EQ(expected, actual);
  std::set<std::string> unique(actual.begin(), actual.end());
  EXPECT_EQ(1u, unique.count("UTILTEST_X"));
  EXPECT_EQ(1u, unique.count("UTILTEST_EMPTY"));
}

TEST(pathServices, nameHasSuffix) {
  struct suffixCase {
    const char* name;
    const char* suffix;
    bool matches;
  };
  const suffixCase cases[] = {
      {"a.jar", "jar", true},
      {".jar", "jar", true},
      {"lib.x.jar", "jar", true},
      {"a.config", "config", true},
      {".config", "config", true},
      {"A.JAR", "jar", false},
      {"a.Jar", "jar", false},
      {"jar", "jar", false},
      {"xjar", "jar", false},
      {"a-jar", "jar", false},
      {"a.jar.bak", "jar", false},
      {"a.config.old", "config", false},
      {"A.CONFIG", "config", false},
      {"config", "config", false},
      {"a.jarx", "jar", false},
      {"ar", "jar", false},
      {".", "jar", false},
      {"..", "jar", false},
      {"", "jar", false},
  };
  for (const suffixCase& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " / " + c.suffix);
    EXPECT_EQ(c.matches, nameHasSuffix(c.name, c.suffix));
  }
}

TEST_F(pathServicesTest, fillTempFileWritesAndCloses) {
  std::string big;
  for (int i = 0; i < 300000; i++) big += (char)('!' + i % 90);
  const std::string texts[] = {"", "A=1\n", "\x01\xff\\u0000", big};
  int number = 0;
  for (const std::string& text : texts) {
    SCOPED_TRACE(number);
    std::string path = scratch / ("temp" + std::to_string(number++));
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    char* owned = createStringCopy(path.c_str());
    char* result = fillTempFile(owned, fd, text.c_str());
    EXPECT_EQ(owned, result);
    delete[] result;
    EXPECT_EQ(-1, fcntl(fd, F_GETFD)) << "descriptor left open";
    EXPECT_EQ(text, readFile(path));
  }
}

TEST_F(pathServicesTest, fillTempFileRemovesWhatItCouldNotWrite) {
  std::string path = scratch / "readOnly";
  writeFile(path, "", 0600);
  int fd = open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ("Failed to write to temporary file.", thrownMessage([&] {
              delete[] fillTempFile(createStringCopy(path.c_str()), fd, "A=1");
            }));
  EXPECT_FALSE(fileExists(path));
  EXPECT_EQ(-1, fcntl(fd, F_GETFD)) << "descriptor left open";
}
