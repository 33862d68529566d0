#include <gtest/gtest.h>

#include "tests/testSupport.h"

TEST(launcherUnix, reportsMissingConfiguration) {
  scratchDirectory dir;
  std::string copy = dir / "app";
  writeFile(copy, readFile(LAUNCHER_UNIX), 0755);
  runResult result = runProgram({copy});
  EXPECT_EQ(254, result.status);
  EXPECT_NE(std::string::npos, result.out.find("No configuration found"));
}
