// The Mac variants of the path services.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/pathServices.h"
#include "util/stringArray.h"
#include "util/strings.h"

namespace {

std::vector<std::string> contents(const stringArray& list) {
  std::vector<std::string> result;
  for (int i = 0; i < list.size(); i++) result.push_back(list[i]);
  return result;
}

// Removes the files that writeTempFile made, whatever the test's outcome.
class tempFiles {
 public:
  ~tempFiles() {
    for (const std::string& path : paths) unlink(path.c_str());
  }
  std::string take(char* owned) {
    ownedString holder(owned);
    paths.push_back(owned);
    return owned;
  }

 private:
  std::vector<std::string> paths;
};

// "/tmp/tavimor-envdump-" followed by 4 letters or digits.
bool isTempFileName(const std::string& path) {
  const std::string prefix = "/tmp/tavimor-envdump-";
  return path.size() == prefix.size() + 4 &&
         path.compare(0, prefix.size(), prefix) == 0 &&
         path.find_first_not_of(
             "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
             "abcdefghijklmnopqrstuvwxyz0123456789",
             prefix.size()) == std::string::npos;
}

}  // namespace

TEST(pathServicesMac, testFileMeansReadable) {
  scratchDirectory scratch;
  writeFile(scratch / "file", "x");
  writeFile(scratch / "empty", "");
  ASSERT_EQ(0, symlink("file", (scratch / "goodLink").c_str()));
  ASSERT_EQ(0, symlink("gone", (scratch / "danglingLink").c_str()));
  struct testCase {
    std::string path;
    int expected;
  };
  const testCase cases[] = {
      {scratch / "file", 1},
      {scratch / "empty", 1},
      {scratch / "goodLink", 1},
      {scratch / "missing", 0},
      {scratch / "danglingLink", 0},
      {scratch / "file/below", 0},
      {"", 0},
  };
  for (const testCase& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.expected, testFile(c.path.c_str()));
  }
}

TEST(pathServicesMac, testFileCountsAnUnreadableFileAsAbsent) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  scratchDirectory scratch;
  writeFile(scratch / "locked", "x", 0200);
  EXPECT_EQ(0, testFile((scratch / "locked").c_str()));
}

TEST(pathServicesMac, testFileLeavesNoDescriptorOpen) {
  scratchDirectory scratch;
  writeFile(scratch / "file", "x");
  int before = dup(0);
  ASSERT_GE(before, 0);
  close(before);
  for (int i = 0; i < 10; i++) testFile((scratch / "file").c_str());
  int after = dup(0);
  close(after);
  EXPECT_EQ(before, after);
}

TEST(pathServicesMac, writeTempFileUsesTheFourLetterTemplate) {
  tempFiles made;
  std::string big;
  for (int i = 0; i < 200000; i++) big += (char)(1 + i % 255);
  const std::string texts[] = {"", "NAME=value\n", "\\u00e9\n", big};
  std::set<std::string> names;
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    std::string path = made.take(writeTempFile(text.c_str()));
    EXPECT_TRUE(isTempFileName(path)) << path;
    struct stat status;
    ASSERT_EQ(0, lstat(path.c_str(), &status));
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(0600, status.st_mode & 07777);
    EXPECT_EQ(text, readFile(path));
    names.insert(path);
  }
  EXPECT_EQ(4u, names.size()) << "names repeat";
}

TEST(pathServicesMac, addFilesListsMatchingEntriesInNameOrder) {
  scratchDirectory scratch;
  const std::string root = scratch.path();
  // Made out of name order, so that the directory's own order rarely
  // happens to be sorted.
  for (const char* name : {"b.config", "a.jar", "a.config", "a.cfg", "Z.config",
                           ".config", "a.config.old", "A.CONFIG", "config",
                           "B.jar", ".jar", "jar", "xjar", "a.jar.bak"})
    writeFile(root + "/" + name, "");
  ASSERT_EQ(0, mkdir((root + "/lib.jar").c_str(), 0700));
  ASSERT_EQ(0, symlink("gone", (root + "/dangling.jar").c_str()));

  struct suffixCase {
    const char* suffix;
    std::vector<std::string> expected;
  };
  const suffixCase cases[] = {
      {"config",
       {root + "/.config", root + "/Z.config", root + "/a.config",
        root + "/b.config"}},
      {"jar",
       {root + "/.jar", root + "/B.jar", root + "/a.jar",
        root + "/dangling.jar", root + "/lib.jar"}},
      {"war", {}},
  };
  for (const suffixCase& c : cases) {
    SCOPED_TRACE(c.suffix);
    stringArray list;
    list.append(createStringCopy("earlier"));
    addFiles(&list, root.c_str(), c.suffix);
    std::vector<std::string> expected{"earlier"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(expected, contents(list));
  }
}

TEST(pathServicesMac, addFilesGivesCanonicalPaths) {
  scratchDirectory scratch;
  ASSERT_EQ(0, mkdir((scratch / "real").c_str(), 0700));
  writeFile(scratch / "real/app.jar", "");
  ASSERT_EQ(0, symlink("real", (scratch / "link").c_str()));
  const std::string directories[] = {scratch / "link", scratch / "real/"};
  for (const std::string& directory : directories) {
    SCOPED_TRACE(directory);
    stringArray list;
    addFiles(&list, directory.c_str(), "jar");
    EXPECT_EQ(std::vector<std::string>{scratch / "real/app.jar"},
              contents(list));
  }
}

TEST(pathServicesMac, addFilesOfAnUnreadableDirectoryAddsNothing) {
  scratchDirectory scratch;
  writeFile(scratch / "a.jar", "");
  const std::string directories[] = {scratch / "missing", scratch / "a.jar",
                                     ""};
  for (const std::string& directory : directories) {
    SCOPED_TRACE(directory);
    stringArray list;
    addFiles(&list, directory.c_str(), "jar");
    EXPECT_EQ(0, list.size());
  }
}
