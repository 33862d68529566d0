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

// "/tmp/tavimor-envdump-" followed by 6 letters or digits.
bool isTempFileName(const std::string& path) {
  const std::string prefix = "/tmp/tavimor-envdump-";
  return path.size() == prefix.size() + 6 &&
         path.compare(0, prefix.size(), prefix) == 0 &&
         path.find_first_not_of(
             "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
             "abcdefghijklmnopqrstuvwxyz0123456789",
             prefix.size()) == std::string::npos;
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
  scratchDirectory scratch;
  ASSERT_EQ(0, mkdir((scratch / "real").c_str(), 0700));
  writeFile(scratch / "real/app.jar", "");
  ASSERT_EQ(0, symlink("real", (scratch / "link").c_str()));
  const std::string directories[] = {scratch / "link", scratch / "real/",
                                     scratch / "link/../real"};
  for (const std::string& directory : directories) {
    SCOPED_TRACE(directory);
    stringArray list;
    addFiles(&list, directory.c_str(), "jar");
    EXPECT_EQ(std::vector<std::string>{scratch / "real/app.jar"},
              contents(list));
  }
}

TEST(pathServicesUnix, addFilesOfAnUnreadableDirectoryAddsNothing) {
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
