#include "driver/zipComment.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/testSupport.h"
#include "util/strings.h"

using namespace std::string_literals;

namespace {

const std::string kSignature = "PK\x05\x06"s;

// An end-of-central-directory record of an empty archive, announcing a
// comment of `declaredLength` bytes, followed by `comment`.
std::string endRecord(const std::string& comment, size_t declaredLength) {
  std::string record = kSignature + std::string(16, '\0');
  record += (char)(declaredLength & 0xff);
  record += (char)(declaredLength >> 8);
  return record + comment;
}

std::string endRecord(const std::string& comment) {
  return endRecord(comment, comment.size());
}

// Bytes that stand for an executable image: every byte value, but never the
// record's signature.
std::string image(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; i++)
    bytes[i] = (char)((i * 7 + i / 256) & 0xff);
  for (size_t at = bytes.find(kSignature); at != std::string::npos;
       at = bytes.find(kSignature, at))
    bytes[at] = 'x';
  return bytes;
}

// A comment of `length` bytes of text, without NUL bytes or signatures.
std::string commentText(size_t length) {
  std::string text(length, ' ');
  for (size_t i = 0; i < length; i++) text[i] = (char)('a' + i % 26);
  return text;
}

// The comment of the file holding `bytes`, "<null>" when there is none.
std::string commentOf(const scratchDirectory& scratch,
                      const std::string& bytes) {
  std::string path = scratch / "file";
  writeFile(path, bytes);
  ownedString comment(getZipComment(path.c_str()));
  return comment ? std::string(comment.get()) : "<null>";
}

TEST(zipComment, readsLittleEndianValuesAsUnsigned) {
  const unsigned char bytes[] = {0x50, 0x4b, 0x05, 0x06, 0xff, 0xff, 0xff, 0x7f,
                                 0x01, 0x80, 0x00, 0x00, 0x00, 0x80, 0xfe};
  EXPECT_EQ(0x4b50, get2LE(bytes, 0));
  EXPECT_EQ(0x06054b50, get4LE(bytes, 0));
  EXPECT_EQ(65535, get2LE(bytes, 4));
  EXPECT_EQ(0x7fffffff, get4LE(bytes, 4));
  EXPECT_EQ(0x8001, get2LE(bytes, 8));
  EXPECT_EQ(0xfe80, get2LE(bytes, 13));
  EXPECT_EQ(0x00008001, get4LE(bytes, 8));
  EXPECT_EQ(INT_MIN, get4LE(bytes, 10));
  EXPECT_EQ((int)0xfe800000u, get4LE(bytes, 11));
}

TEST(zipComment, findsTheCommentThatEndsTheFile) {
  const std::string directives =
      "vmparam -Xms512m\nvmparam -Xmx1024m\nmainclass com.example.Main\n";
  struct testCase {
    std::string description;
    std::string bytes;
    std::string expected;
  };
  const testCase cases[] = {
      {"image and archive", image(5000) + endRecord(directives), directives},
      {"empty comment", image(5000) + endRecord(""), ""},
      {"exactly the record", endRecord(""), ""},
      {"record without signature", std::string(22, '\0'), "<null>"},
      {"no archive at all", image(40000), "<null>"},
      {"bytes after the comment", image(100) + endRecord("mainclass a") + "\n",
       "<null>"},
      {"declared length too long", image(100) + endRecord("abc", 4), "<null>"},
      {"declared length too short", image(100) + endRecord("abc", 2), "<null>"},
      {"archive after an archive", endRecord("") + endRecord("tail"), "tail"},
      // The signature inside the comment is tried first: its length field
      // (" h") does not match what remains of the file.
      {"signature inside the comment",
       image(300) + endRecord("before " + kSignature + " and enough text here"),
       "before " + kSignature + " and enough text here"},
  };
  scratchDirectory scratch;
  for (const testCase& c : cases) {
    SCOPED_TRACE(c.description);
    EXPECT_EQ(c.expected, commentOf(scratch, c.bytes));
  }
}

TEST(zipComment, nearestAcceptableRecordWins) {
  // A comment that holds a whole record of its own whose length matches the
  // rest of the file: that inner record lies nearer to the end and wins.
  scratchDirectory scratch;
  std::string inner = endRecord("inner");
  EXPECT_EQ("inner",
            commentOf(scratch, image(64) + endRecord("outer " + inner)));
}

TEST(zipComment, keepsTheCommentBytesExactly) {
  scratchDirectory scratch;
  std::string comment;
  for (int byte = 1; byte < 256; byte++) comment += (char)byte;
  std::string path = scratch / "file";
  writeFile(path, image(1000) + endRecord(comment));
  ownedString found(getZipComment(path.c_str()));
  ASSERT_TRUE(found);
  EXPECT_EQ(comment, std::string(found.get()));
  EXPECT_EQ(0, found[comment.size()]);
}

TEST(zipComment, searchesWindowsThatOverlapByARecord) {
  // With n bytes of comment the record starts 22 + n bytes before the end:
  // 65,514 is the longest that fits the first 65,536-byte window, longer
  // ones start before it, up to the longest possible comment.
  struct testCase {
    size_t commentLength;
    size_t imageLength;
  };
  const testCase cases[] = {
      {65514, 200000},  // the record opens the first window
      {65515, 200000},  // straddles the first window's start by one byte
      {65525, 200000},
      {65535, 200000},  // straddles by 21 bytes: the longest comment
      {65535, 0},       // second window starts at offset 0
      {65535, 1000},    // file shorter than two windows
      {65530, 65000},
  };
  scratchDirectory scratch;
  for (const testCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.commentLength) + " after " +
                 std::to_string(c.imageLength));
    std::string comment = commentText(c.commentLength);
    EXPECT_EQ(comment,
              commentOf(scratch, image(c.imageLength) + endRecord(comment)));
  }
}

TEST(zipComment, fileOfSeveralWindowsWithoutArchiveHasNoComment) {
  scratchDirectory scratch;
  // Records that are not at the end, one straddling every window boundary
  // that the backwards search meets, are all rejected.
  std::string bytes = image(300000);
  for (size_t end = bytes.size(); end > 70000; end -= 65536 - 22) {
    std::string stray = endRecord("", 10);
    bytes.replace(end - 65536 - 11, stray.size(), stray);
  }
  bytes.replace(0, 22, endRecord("", 0));
  EXPECT_EQ("<null>", commentOf(scratch, bytes));
}

TEST(zipComment, refusesFilesShorterThanARecord) {
  scratchDirectory scratch;
  for (size_t length : {0, 1, 21}) {
    SCOPED_TRACE(length);
    std::string path = scratch / "short";
    writeFile(path, endRecord("").substr(0, length));
    EXPECT_EQ("Zip file size is unreasonably small",
              thrownMessage([&] { delete[] getZipComment(path.c_str()); }));
  }
}

TEST(zipComment, missingFileCannotBeOpened) {
  scratchDirectory scratch;
  std::string path = scratch / "absent";
  EXPECT_EQ("Unable to open '" + path + "'",
            thrownMessage([&] { delete[] getZipComment(path.c_str()); }));
}

}  // namespace
