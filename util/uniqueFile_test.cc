#include "util/uniqueFile.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/testSupport.h"

namespace {

const std::string nameLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Runs createUniqueFile on a writable copy of `pathTemplate`; returns the
// descriptor and leaves the name tried in `name`.
int createFrom(const std::string& pathTemplate, std::string* name,
               int* error = nullptr) {
  std::vector<char> writable(pathTemplate.begin(), pathTemplate.end());
  writable.push_back(0);
  errno = 0;
  int fd = createUniqueFile(writable.data());
  if (error) *error = errno;
  *name = writable.data();
  return fd;
}

}  // namespace

TEST(uniqueFile, replacesEveryTrailingX) {
  scratchDirectory scratch;
  struct templateCase {
    std::string prefix;  // kept as written
    size_t xs;           // trailing X's replaced
  };
  const templateCase cases[] = {
      {"env-", 6}, {"env-", 4}, {"env-", 1}, {"", 3}, {"aXbX-", 16}, {"X.", 2},
  };
  for (const templateCase& c : cases) {
    const std::string pathTemplate =
        scratch / (c.prefix + std::string(c.xs, 'X'));
    SCOPED_TRACE(pathTemplate);
    std::string name;
    int fd = createFrom(pathTemplate, &name);
    ASSERT_GE(fd, 0) << strerror(errno);
    ASSERT_EQ(pathTemplate.size(), name.size());
    const size_t start = pathTemplate.size() - c.xs;
    EXPECT_EQ(pathTemplate.substr(0, start), name.substr(0, start));
    EXPECT_EQ(std::string::npos, name.find_first_not_of(nameLetters, start))
        << name;
    // The replaced letters are random, so a few of them may be X again, but
    // not half of a long run.
    if (c.xs >= 16) {
      EXPECT_LT(std::count(name.begin() + start, name.end(), 'X'), 8) << name;
    }

    struct stat status;
    ASSERT_EQ(0, fstat(fd, &status));
    struct stat named;
    ASSERT_EQ(0, lstat(name.c_str(), &named));
    EXPECT_EQ(status.st_ino, named.st_ino) << "descriptor is not the file";
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(0600, status.st_mode & 07777);
    EXPECT_EQ(0, status.st_size);
    EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
    EXPECT_EQ(3, write(fd, "abc", 3));
    close(fd);
    EXPECT_EQ("abc", readFile(name));
  }
}

TEST(uniqueFile, namesDoNotRepeat) {
  scratchDirectory scratch;
  std::set<std::string> names;
  for (int i = 0; i < 200; i++) {
    std::string name;
    int fd = createFrom(scratch / "fXXXXXX", &name);
    ASSERT_GE(fd, 0) << strerror(errno);
    close(fd);
    names.insert(name);
  }
  EXPECT_EQ(200u, names.size());
}

TEST(uniqueFile, templateWithoutTrailingXIsRefused) {
  scratchDirectory scratch;
  const std::string templates[] = {scratch / "plain", scratch / "XXXXXXa",
                                   scratch / "XXX.tmp", ""};
  for (const std::string& pathTemplate : templates) {
    SCOPED_TRACE(pathTemplate);
    std::string name;
    int error;
    EXPECT_EQ(-1, createFrom(pathTemplate, &name, &error));
    EXPECT_EQ(EINVAL, error);
    EXPECT_EQ(pathTemplate, name);
    if (!name.empty()) {
      EXPECT_FALSE(fileExists(name));
    }
  }
}

TEST(uniqueFile, takenNamesAreRetried) {
  scratchDirectory scratch;
  // All of the 62 one-letter names but one are taken; the free one is the
  // last letter of the set.
  const char freeLetter = '9';
  for (char letter : nameLetters)
    if (letter != freeLetter)
      writeFile(scratch / (std::string("p") + letter), "taken");
  std::string name;
  int fd = createFrom(scratch / "pX", &name);
  ASSERT_GE(fd, 0) << strerror(errno);
  close(fd);
  EXPECT_EQ(scratch / (std::string("p") + freeLetter), name);
  // Taken files are neither opened for writing nor truncated.
  for (char letter : nameLetters) {
    if (letter != freeLetter) {
      EXPECT_EQ("taken", readFile(scratch / (std::string("p") + letter)));
    }
  }
}

TEST(uniqueFile, givesUpWhenEveryNameIsTaken) {
  scratchDirectory scratch;
  for (char letter : nameLetters)
    writeFile(scratch / (std::string("p") + letter), "taken");
  std::string name;
  int error;
  EXPECT_EQ(-1, createFrom(scratch / "pX", &name, &error));
  EXPECT_EQ(EEXIST, error);
}

TEST(uniqueFile, otherFailuresAreNotRetried) {
  scratchDirectory scratch;
  std::string name;
  int error;
  EXPECT_EQ(-1, createFrom(scratch / "missing/fXXXXXX", &name, &error));
  EXPECT_EQ(ENOENT, error);
}
