#include "pack/manifest.h"

#include <gtest/gtest.h>

namespace {

TEST(findManifestAttribute, readsTheMainSection) {
  struct attributeCase {
    const char* label;
    std::string manifest;
    std::optional<std::string> expected;
  };
  const attributeCase cases[] = {
      {"LF", "Manifest-Version: 1.0\nMain-Class: a.B\n", "a.B"},
      {"CR LF", "Manifest-Version: 1.0\r\nMain-Class: a.B\r\n\r\n", "a.B"},
      {"CR", "Manifest-Version: 1.0\rMain-Class: a.B\r", "a.B"},
      {"no final line break", "Main-Class: a.B", "a.B"},
      {"continued", "Main-Class: com.example.ve\r\n ry.Long\r\n X\r\n",
       "com.example.very.LongX"},
      {"continuation keeps its further blanks", "Main-Class: a.\n  B\n",
       "a. B"},
      {"name in other case", "MAIN-CLASS: a.B\n", "a.B"},
      {"blanks around the value", "Main-Class:   a.B \t\n", "a.B"},
      {"only in an entry section",
       "Manifest-Version: 1.0\n\nName: a/B.class\nMain-Class: a.B\n",
       std::nullopt},
      {"longer name", "Main-Class-Path: a.B\n", std::nullopt},
      {"value line that looks like the name", "X-Note: see\n Main-Class: a.B\n",
       std::nullopt},
      {"empty manifest", "", std::nullopt},
  };
  for (const attributeCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.expected, findManifestAttribute(c.manifest, "Main-Class"));
  }
}

}  // namespace
