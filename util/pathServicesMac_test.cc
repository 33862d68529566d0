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
#include "util/pathServicesChecks.h"
#include "util/stringArray.h"
#include "util/strings.h"

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
  expectTempFilesWritten(4);
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
  expectCanonicalListing();
}

TEST(pathServicesMac, addFilesOfAnUnreadableDirectoryAddsNothing) {
  expectUnreadableDirectoryListsNothing();
}
