#include "util/stringArray.h"

#include <gtest/gtest.h>
#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/strings.h"

namespace {

std::vector<std::string> contents(const stringArray& list) {
  std::vector<std::string> result;
  for (int i = 0; i < list.size(); i++)
    result.push_back(list[i] ? list[i] : "<null>");
  return result;
}

void fill(stringArray* list, const std::vector<std::string>& items) {
  for (const std::string& item : items)
    list->append(createStringCopy(item.c_str()));
}

// Records the arguments of the last comparison so that their order can be
// checked.
const char* lastFirst = nullptr;
const char* lastSecond = nullptr;
int recordingCompare(const char* a, const char* b) {
  lastFirst = a;
  lastSecond = b;
  return strcmp(a, b);
}

}  // namespace

TEST(stringArray, startsEmpty) {
  stringArray list;
  EXPECT_EQ(0, list.size());
  EXPECT_EQ(-1, list.find("a", strcmp));
}

TEST(stringArray, appendKeepsTheVeryPointerInOrder) {
  stringArray list;
  std::vector<char*> appended;
  for (const char* text : {"one", "two", "three", "four"}) {
    appended.push_back(createStringCopy(text));
    list.append(appended.back());
  }
  ASSERT_EQ(4, list.size());
  for (int i = 0; i < 4; i++) EXPECT_EQ(appended[i], list[i]);
  EXPECT_EQ((std::vector<std::string>{"one", "two", "three", "four"}),
            contents(list));
}

TEST(stringArray, nullElementsAreKeptAndSkippedWhenFreed) {
  stringArray list;
  list.append(nullptr);
  list.append(createStringCopy("x"));
  list.append(nullptr);
  EXPECT_EQ((std::vector<std::string>{"<null>", "x", "<null>"}),
            contents(list));
  list.remove(0);
  EXPECT_EQ((std::vector<std::string>{"x", "<null>"}), contents(list));
}

TEST(stringArray, removeClosesTheGapKeepingOrder) {
  struct removeCase {
    std::vector<std::string> before;
    int index;
    std::vector<std::string> after;
  };
  const removeCase cases[] = {
      {{"a", "b", "c"}, 1, {"a", "c"}},
      {{"a", "b", "c"}, 0, {"b", "c"}},
      {{"a", "b", "c"}, 2, {"a", "b"}},
      {{"a"}, 0, {}},
  };
  for (const removeCase& c : cases) {
    SCOPED_TRACE("index " + std::to_string(c.index) + " of " +
                 std::to_string(c.before.size()));
    stringArray list;
    fill(&list, c.before);
    std::vector<char*> kept;
    for (int i = 0; i < list.size(); i++)
      if (i != c.index) kept.push_back(list[i]);
    list.remove(c.index);
    EXPECT_EQ(c.after, contents(list));
    // The remaining elements are the same pointers, not copies.
    ASSERT_EQ((int)kept.size(), list.size());
    for (int i = 0; i < list.size(); i++) EXPECT_EQ(kept[i], list[i]);
  }
}

TEST(stringArray, removingTheLastElementAllowsAppendingAgain) {
  stringArray list;
  list.append(createStringCopy("only"));
  list.remove(0);
  EXPECT_EQ(0, list.size());
  EXPECT_EQ(-1, list.find("only", strcmp));
  list.append(createStringCopy("again"));
  EXPECT_EQ((std::vector<std::string>{"again"}), contents(list));
}

TEST(stringArray, badIndexThrowsAndChangesNothing) {
  struct badIndexCase {
    int listSize;
    int index;
  };
  const badIndexCase cases[] = {{0, 0}, {0, -1}, {3, -1}, {3, 3}, {3, 100}};
  for (const badIndexCase& c : cases) {
    SCOPED_TRACE("index " + std::to_string(c.index) + " of " +
                 std::to_string(c.listSize));
    stringArray list;
    std::vector<std::string> items;
    for (int i = 0; i < c.listSize; i++) items.push_back(std::to_string(i));
    fill(&list, items);
    EXPECT_EQ("stringArray.remove: Array index out of bounds.",
              thrownMessage([&] { list.remove(c.index); }));
    EXPECT_EQ("stringArray[]: Array index out of bounds.",
              thrownMessage([&] { list[c.index]; }));
    EXPECT_EQ(items, contents(list));
  }
}

TEST(stringArray, findReturnsTheLowestMatchingIndex) {
  stringArray list;
  fill(&list, {"/x/a.jar", "/x/b.jar", "/X/A.JAR", "/x/b.jar"});
  struct findCase {
    const char* wanted;
    int (*compare)(const char*, const char*);
    int expected;
  };
  const findCase cases[] = {
      {"/x/a.jar", strcmp, 0},
      {"/x/b.jar", strcmp, 1},
      {"/X/A.JAR", strcmp, 2},
      {"/X/A.JAR", strcasecmp, 0},
      {"/X/B.JAR", strcasecmp, 1},
      {"/x/c.jar", strcmp, -1},
      {"", strcmp, -1},
  };
  for (const findCase& c : cases) {
    SCOPED_TRACE(c.wanted);
    EXPECT_EQ(c.expected, list.find(c.wanted, c.compare));
  }
}

TEST(stringArray, findPassesTheSearchedStringFirst) {
  stringArray list;
  fill(&list, {"element"});
  const char* wanted = "wanted";
  lastFirst = lastSecond = nullptr;
  EXPECT_EQ(-1, list.find(wanted, recordingCompare));
  EXPECT_EQ(wanted, lastFirst);
  EXPECT_EQ(list[0], lastSecond);
}
