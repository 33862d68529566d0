#include "util/platformConventions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/testSupport.h"

TEST(platformConventions, constantsAreStableStaticStrings) {
  const char* separator = getPathSeparator();
  const char* terminator = getLineTerminator();
  EXPECT_STREQ(":", separator);
  EXPECT_STREQ("\n", terminator);
  EXPECT_EQ(separator, getPathSeparator());
  EXPECT_EQ(terminator, getLineTerminator());
}

TEST(platformConventions, fileNamesCompareIgnoringAsciiCase) {
  struct compareCase {
    const char* a;
    const char* b;
    bool equal;
  };
  const compareCase cases[] = {
      {"a.JAR", "A.jar", true},
      {"/x/app.jar", "/X/APP.JAR", true},
      {"", "", true},
      {"a.jar", "a.jar ", false},
      {"a.jar", "a.ja", false},
      {"a.jar", "b.jar", false},
      {"/x/a.jar", "/x/a.jar/", false},
      // Only ASCII letters fold: these bytes are not case pairs to it.
      {"\xc3\xa9", "\xc3\x89", false},
      {"[", "{", false},
  };
  int (*compare)(const char*, const char*) = getFileStrCmp();
  for (const compareCase& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(c.equal, compare(c.a, c.b) == 0);
    EXPECT_EQ(c.equal, compare(c.b, c.a) == 0);
  }
}

TEST(platformConventions, deleteTempFileRemovesTheFile) {
  scratchDirectory scratch;
  std::string path = scratch / "tavimor-envdump-abc";
  writeFile(path, "A=1\n", 0600);
  deleteTempFile(path.c_str());
  EXPECT_FALSE(fileExists(path));
}

TEST(platformConventions, deleteTempFilePassesOverWhatItCannotRemove) {
  scratchDirectory scratch;
  std::string missing = scratch / "gone";
  deleteTempFile(missing.c_str());
  EXPECT_FALSE(fileExists(missing));

  std::string directory = scratch / "dir";
  ASSERT_EQ(0, mkdir(directory.c_str(), 0700));
  deleteTempFile(directory.c_str());
  EXPECT_TRUE(fileExists(directory));

  deleteTempFile("");
}
