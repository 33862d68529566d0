#include "util/stringBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "util/strings.h"

namespace {

std::string content(const stringBuffer& buffer) {
  ownedString text(buffer.createString());
  return std::string(text.get(), buffer.getLength());
}

// Undoes the escaping of appendUnicode: "\\\\" and "\\u" with four hex
// digits. Returns "<bad escape>" for anything else after a backslash.
std::string unescape(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] != '\\') {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '\\') {
      result += '\\';
      i++;
    } else if (i + 5 < text.size() && text[i + 1] == 'u') {
      result += (char)std::stoi(text.substr(i + 2, 4), nullptr, 16);
      i += 5;
    } else {
      return "<bad escape>";
    }
  }
  return result;
}

}  // namespace

TEST(stringBuffer, newBufferIsEmpty) {
  stringBuffer buffer;
  EXPECT_EQ(0, buffer.getLength());
  EXPECT_EQ(0, buffer.getCapacity());
  ownedString text(buffer.createString());
  EXPECT_STREQ("", text.get());
}

// Each step appends `bytes` bytes: one append(char) per byte when `single`
// holds, else one append(s, n).
TEST(stringBuffer, growsByAtLeast256OrByTheMissingAmount) {
  struct step {
    int bytes;
    bool single;
    int capacityAfter;
  };
  struct growthCase {
    const char* name;
    std::vector<step> steps;
  };
  const growthCase cases[] = {
      {"first char", {{1, true, 256}}},
      {"chars fill one step", {{256, true, 256}, {1, true, 512}}},
      {"300 bytes then a char", {{300, false, 300}, {1, true, 556}}},
      {"10 bytes missing 4", {{250, false, 256}, {10, false, 512}}},
      {"exactly full", {{256, false, 256}, {0, false, 256}}},
      {"257 bytes missing", {{256, false, 256}, {257, false, 513}}},
      {"fits without growth", {{100, false, 256}, {156, false, 256}}},
      {"344 bytes missing", {{100, false, 256}, {500, false, 600}}},
      {"nothing on a new buffer", {{0, false, 0}}},
  };
  for (const growthCase& c : cases) {
    SCOPED_TRACE(c.name);
    stringBuffer buffer;
    std::string expected;
    for (const step& s : c.steps) {
      std::string bytes;
      for (int i = 0; i < s.bytes; i++)
        bytes += (char)('a' + (expected.size() + i) % 26);
      if (s.single) {
        for (char ch : bytes) buffer.append(ch);
      } else {
        buffer.append(bytes.data(), (int)bytes.size());
      }
      expected += bytes;
      EXPECT_EQ(s.capacityAfter, buffer.getCapacity());
      EXPECT_EQ((int)expected.size(), buffer.getLength());
    }
    EXPECT_EQ(expected, content(buffer));
  }
}

TEST(stringBuffer, extendKeepsContentAndLength) {
  stringBuffer buffer;
  buffer.extend(10);
  EXPECT_EQ(256, buffer.getCapacity());
  EXPECT_EQ(0, buffer.getLength());
  buffer.append("hello");
  buffer.extend(1000);
  EXPECT_EQ(1256, buffer.getCapacity());
  EXPECT_EQ(5, buffer.getLength());
  EXPECT_EQ("hello", content(buffer));
}

TEST(stringBuffer, clearKeepsTheAllocation) {
  stringBuffer buffer;
  buffer.append(std::string(300, 'x').c_str());
  ASSERT_EQ(300, buffer.getCapacity());
  buffer.clear();
  EXPECT_EQ(0, buffer.getLength());
  EXPECT_EQ(300, buffer.getCapacity());
  EXPECT_EQ("", content(buffer));
  buffer.append(std::string(300, 'y').c_str());
  EXPECT_EQ(300, buffer.getCapacity());
  EXPECT_EQ(std::string(300, 'y'), content(buffer));
}

TEST(stringBuffer, createStringLeavesTheBufferUnchanged) {
  stringBuffer buffer;
  buffer.append("abc");
  ownedString first(buffer.createString());
  buffer.append('d');
  ownedString second(buffer.createString());
  EXPECT_STREQ("abc", first.get());
  EXPECT_STREQ("abcd", second.get());
  EXPECT_NE(first.get(), second.get());
}

TEST(stringBuffer, appendCopiesEmbeddedNulBytes) {
  stringBuffer buffer;
  buffer.append("a\0b\0", 4);
  buffer.append('\0');
  buffer.append("c");
  EXPECT_EQ(6, buffer.getLength());
  ownedString text(buffer.createString());
  EXPECT_EQ(1u, strlen(text.get()));
  EXPECT_EQ(0, memcmp("a\0b\0\0c\0", text.get(), 7));
}

TEST(stringBuffer, appendUnicodeEscapes) {
  struct escapeCase {
    std::string input;
    std::string expected;
  };
  const escapeCase cases[] = {
      {"", ""},
      {"plain text", "plain text"},
      {"a\\b", "a\\\\b"},
      {"\\", "\\\\"},
      {"\t", "\\u0009"},
      {"\n", "\\u000a"},
      {"\x01\x1f", "\\u0001\\u001f"},
      {"\x80\xff", "\\u0080\\u00ff"},
      {"\xe9t\xc3\xa9", "\\u00e9t\\u00c3\\u00a9"},
      {" \x7f~", " \x7f~"},
      {"NAME=a\\b\nc", "NAME=a\\\\b\\u000ac"},
  };
  for (const escapeCase& c : cases) {
    SCOPED_TRACE(c.expected);
    stringBuffer buffer;
    buffer.appendUnicode(c.input.c_str());
    EXPECT_EQ(c.expected, content(buffer));
  }
}

TEST(stringBuffer, appendUnicodeAddsToTheContent) {
  stringBuffer buffer;
  buffer.append("x=");
  buffer.appendUnicode("\t");
  buffer.append('\n');
  EXPECT_EQ("x=\\u0009\n", content(buffer));
}

TEST(stringBuffer, appendUnicodeOfEveryByteIsSevenBitAndReadsBack) {
  std::string all;
  for (int byte = 1; byte < 256; byte++) all += (char)byte;
  // Long enough to need several growth steps while escaping.
  std::string input = all + all + all;
  stringBuffer buffer;
  buffer.appendUnicode(input.c_str());
  std::string escaped = content(buffer);
  for (char ch : escaped) {
    ASSERT_GE((unsigned char)ch, 0x20);
    ASSERT_LE((unsigned char)ch, 0x7f);
  }
  EXPECT_EQ(input, unescape(escaped));
}
