// Checks shared by the tests of the Unix and the Mac path services, which are
// linked into different test programs.
#ifndef LAUNCHER_UTIL_PATHSERVICESCHECKS_H
#define LAUNCHER_UTIL_PATHSERVICESCHECKS_H

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/pathServices.h"
#include "util/stringArray.h"
#include "util/strings.h"

inline std::vector<std::string> contents(const stringArray& list) {
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

// True for a dump file name: the template with its `xCount` trailing X's
// replaced by letters and digits.
inline bool isTempFileName(const std::string& path, size_t xCount) {
  const std::string prefix = "/tmp/tavimor-envdump-";
  return path.size() == prefix.size() + xCount &&
         path.compare(0, prefix.size(), prefix) == 0 &&
         path.find_first_not_of(
             "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
             "abcdefghijklmnopqrstuvwxyz0123456789",
             prefix.size()) == std::string::npos;
}

// writeTempFile makes a new private file with the text, under a name of the
// template with `xCount` X's, and a new name each time.
inline void expectTempFilesWritten(size_t xCount) {
  tempFiles made;
  std::string big;
  for (int i = 0; i < 200000; i++) big += (char)(1 + i % 255);
  const std::string texts[] = {"", "NAME=value\n", "\\u00e9\n", big};
  std::set<std::string> names;
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    std::string path = made.take(writeTempFile(text.c_str()));
    EXPECT_TRUE(isTempFileName(path, xCount)) << path;
    struct stat status;
    ASSERT_EQ(0, lstat(path.c_str(), &status));
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(0600, status.st_mode & 07777);
    EXPECT_EQ(text, readFile(path));
    names.insert(path);
  }
  EXPECT_EQ(4u, names.size()) << "names repeat";
}

// addFiles gives the canonical path of each entry, whatever the form of the
// directory's path.
inline void expectCanonicalListing() {
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

// addFiles of a directory that cannot be read adds nothing.
inline void expectUnreadableDirectoryListsNothing() {
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

#endif
