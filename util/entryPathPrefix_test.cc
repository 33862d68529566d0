#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/testSupport.h"
#include "util/pathServices.h"
#include "util/strings.h"

// The directory listings join entry names to this prefix instead of
// resolving the directory once per entry: the result must be the very path
// that createAbsolutePath gives for each entry.
TEST(entryPathPrefix, joinsLikeCreateAbsolutePath) {
  scratchDirectory scratch;
  ASSERT_EQ(0, mkdir((scratch / "real").c_str(), 0755));
  ASSERT_EQ(0, symlink((scratch / "real").c_str(), (scratch / "link").c_str()));
  const std::string directories[] = {
      "/",
      scratch.path(),
      scratch / "real/",
      scratch / "link",
      scratch / "link/../real/.",
      scratch / "missing",        // used as written
      scratch / "missing//",      // used as written, slashes and all
  };
  for (const std::string& directory : directories) {
    ownedString expected(createAbsolutePath(directory.c_str(), "a.jar"));
    EXPECT_EQ(expected.get(), entryPathPrefix(directory.c_str()) + "a.jar")
        << directory;
  }
}
