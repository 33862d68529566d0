// The Unix variants of the path services.
#include <dirent.h>
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

namespace {

// The entries of a directory that match `suffix`, in the order in which the
// directory yields them.
std::vector<std::string> listingOrder(const std::string& directory,
                                      const std::string& suffix) {
  std::vector<std::string> result;
  DIR* dir = opendir(directory.c_str());
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        name[name.size() - suffix.size() - 1] == '.')
      result.push_back(directory + "/" + name);
  }
  closedir(dir);
  return result;
}

}  // namespace

TEST(pathServicesUnix, testFileAcceptsAnyExistingEntry) {
  scratchDirectory scratch;
  writeFile(scratch / "file", "x");
  writeFile(scratch / "locked", "x", 0);
  ASSERT_EQ(0, mkdir((scratch / "dir").c_str(), 0700));
  ASSERT_EQ(0, symlink("file", (scratch / "goodLink").c_str()));
  ASSERT_EQ(0, symlink("gone", (scratch / "danglingLink").c_str()));
  struct testCase {
    std::string path;
    int expected;
  };
  const testCase cases[] = {
      {scratch / "file", 1},       {scratch / "locked", 1},
      {scratch / "dir", 1},        {scratch / "dir/", 1},
      {scratch / "goodLink", 1},   {"/", 1},
      {scratch / "missing", 0},    {scratch / "danglingLink", 0},
      {scratch / "file/below", 0}, {"", 0},
  };
  for (const testCase& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.expected, testFile(c.path.c_str()));
  }
}

TEST(pathServicesUnix, createExePathTakesADirectoryOfThatName) {
  scratchDirectory scratch;
  ASSERT_EQ(0, mkdir((scratch / "java").c_str(), 0700));
  const char* saved = getenv("PATH");
  std::string savedPath = saved ? saved : "";
  setenv("PATH", scratch.path().c_str(), 1);
  char* found = createExePath("java");
  if (saved) {
    setenv("PATH", savedPath.c_str(), 1);
  } else {
    unsetenv("PATH");
  }
  ownedString holder(found);
  EXPECT_STREQ((scratch / "java").c_str(), found);
}

TEST(pathServicesUnix, writeTempFileMakesAPrivateFileUnderTmp) {
  expectTempFilesWritten(6);
}

TEST(pathServicesUnix, addFilesListsMatchingEntriesInDirectoryOrder) {
  scratchDirectory scratch;
  const std::string root = scratch.path();
  for (const char* name :
       {"a.jar", ".jar", "A.JAR", "jar", "xjar", "a.jar.bak", "b.jar",
        "a.config", ".config", "a.config.old", "A.CONFIG", "config", "a.cfg"})
    writeFile(root + "/" + name, "");
  // The kind of an entry plays no part.
  ASSERT_EQ(0, mkdir((root + "/lib.jar").c_str(), 0700));
  ASSERT_EQ(0, symlink("gone", (root + "/dangling.jar").c_str()));

  struct suffixCase {
    const char* suffix;
    std::set<std::string> expected;
  };
  const suffixCase cases[] = {
      {"jar",
       {root + "/a.jar", root + "/.jar", root + "/b.jar", root + "/lib.jar",
        root + "/dangling.jar"}},
      {"config", {root + "/a.config", root + "/.config"}},
      {"war", {}},
  };
  for (const suffixCase& c : cases) {
    SCOPED_TRACE(c.suffix);
    stringArray list;
    list.append(createStringCopy("earlier"));
    addFiles(&list, root.c_str(), c.suffix);
    std::vector<std::string> listed = contents(list);
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ("earlier", listed.front());
    listed.erase(listed.begin());
    EXPECT_EQ(c.expected, std::set<std::string>(listed.begin(), listed.end()));
    EXPECT_EQ(listingOrder(root, c.suffix), listed);
  }
}

TEST(pathServicesUnix, addFilesGivesCanonicalPaths) {
  expectCanonicalListing();
}

TEST(pathServicesUnix, addFilesOfAnUnreadableDirectoryAddsNothing) {
  expectUnreadableDirectoryListsNothing();
}
