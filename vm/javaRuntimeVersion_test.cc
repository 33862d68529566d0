#include "vm/javaRuntimeVersion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/testSupport.h"

namespace {

// Lays out a runtime home: `home`/release (when `release` is not empty) and
// an executable `home`/bin/java.
void makeRuntime(const std::string& home, const std::string& release) {
  mkdir(home.c_str(), 0755);
  mkdir((home + "/bin").c_str(), 0755);
  writeFile(home + "/bin/java", "#!/bin/sh\n", 0755);
  if (!release.empty()) writeFile(home + "/release", release);
}

}  // namespace

TEST(javaRuntimeVersion, readsTheMajorVersionOfTheReleaseFile) {
  struct {
    const char* content;
    int version;
  } cases[] = {
      {"JAVA_VERSION=\"1.8.0_392\"\n", 8},
      {"JAVA_VERSION=\"17.0.2\"\n", 17},
      {"JAVA_VERSION=\"25\"\n", 25},
      {"JAVA_VERSION=11.0.21\n", 11},
      {"JAVA_VERSION=\"1.7.0\"", 7},  // no line end at all
      {"JAVA_VERSION=\"18.0.1\"\n", 18},
      {"IMPLEMENTOR=\"Someone\"\nJAVA_RUNTIME_VERSION=\"8.0\"\n"
       "JAVA_VERSION=\"21.0.1\"\nOS_NAME=\"Linux\"\n",
       21},
      {"IMPLEMENTOR=\"Someone\"\nJAVA_RUNTIME_VERSION=\"17.0.2+8\"\n", 0},
      {"JAVA_VERSION=\"\"\n", 0},
      {"JAVA_VERSION=\"unknown\"\n", 0},
      {"", 0},
  };
  scratchDirectory scratch;
  for (const auto& c : cases) {
    writeFile(scratch / "release", c.content);
    EXPECT_EQ(c.version, readReleaseVersion((scratch / "release").c_str()))
        << c.content;
  }
  EXPECT_EQ(0, readReleaseVersion((scratch / "missing").c_str()));
  EXPECT_EQ(0, readReleaseVersion(scratch.path().c_str()));
}

TEST(javaRuntimeVersion, programVersionComesFromTheHomeOfItsBinDirectory) {
  scratchDirectory scratch;
  makeRuntime(scratch / "home", "JAVA_VERSION=\"17.0.2\"\n");
  EXPECT_EQ(17, getProgramRuntimeVersion((scratch / "home/bin/java").c_str()));

  // An old JDK: jdk/jre/bin/java, the release file in jdk.
  mkdir((scratch / "jdk").c_str(), 0755);
  makeRuntime(scratch / "jdk/jre", "");
  writeFile(scratch / "jdk/release", "JAVA_VERSION=\"1.8.0_392\"\n");
  EXPECT_EQ(8,
            getProgramRuntimeVersion((scratch / "jdk/jre/bin/java").c_str()));

  makeRuntime(scratch / "bare", "");
  EXPECT_EQ(0, getProgramRuntimeVersion((scratch / "bare/bin/java").c_str()));
  EXPECT_EQ(0,
            getProgramRuntimeVersion((scratch / "nowhere/bin/java").c_str()));
}

TEST(javaRuntimeVersion, programLinkIsFollowedToTheRealRuntime) {
  scratchDirectory scratch;
  makeRuntime(scratch / "home", "JAVA_VERSION=\"21\"\n");
  // A release file beside the link itself must not be the one read.
  mkdir((scratch / "links").c_str(), 0755);
  mkdir((scratch / "links/bin").c_str(), 0755);
  writeFile(scratch / "links/release", "JAVA_VERSION=\"1.8.0\"\n");
  ASSERT_EQ(0, symlink((scratch / "home/bin/java").c_str(),
                       (scratch / "links/bin/java").c_str()));
  EXPECT_EQ(21, getProgramRuntimeVersion((scratch / "links/bin/java").c_str()));
}

TEST(javaRuntimeVersion, bootOptionAppendsFromVersionNineOn) {
  struct {
    int version;
    const char* option;
  } cases[] = {
      {0, "-Xbootclasspath/p:"},  {1, "-Xbootclasspath/p:"},
      {8, "-Xbootclasspath/p:"},  {9, "-Xbootclasspath/a:"},
      {17, "-Xbootclasspath/a:"}, {25, "-Xbootclasspath/a:"},
  };
  for (const auto& c : cases)
    EXPECT_STREQ(c.option, getBootClassPathOption(c.version)) << c.version;
}
