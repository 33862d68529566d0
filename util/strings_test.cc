#include "util/strings.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/testSupport.h"

TEST(strings, copyAndConcatenate) {
  ownedString copy(createStringCopy("abc"));
  EXPECT_STREQ("abc", copy.get());
  ownedString joined(createString("ab", "cd"));
  EXPECT_STREQ("abcd", joined.get());
  ownedString empty(createString("", ""));
  EXPECT_STREQ("", empty.get());
}

TEST(strings, throwMessageFitsAnyLength) {
  std::string longText(9000, 'k');
  std::string message =
      thrownMessage([&] { throwMessage("Unrecognized directive '%s'", longText.c_str()); });
  EXPECT_EQ("Unrecognized directive '" + longText + "'", message);
}
