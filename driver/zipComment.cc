#include "driver/zipComment.h"

#include <cstdint>

#include "util/pathServices.h"
#include "util/strings.h"

namespace {

const int kRecordLength = 22;
const int64_t kWindowLength = 65536;
const int kSignature = 0x06054b50;
const int kCommentLengthOffset = 20;

}  // namespace

int get2LE(const unsigned char* bytes, int offset) {
  return bytes[offset] | (bytes[offset + 1] << 8);
}

int get4LE(const unsigned char* bytes, int offset) {
  return (int)((uint32_t)bytes[offset] | ((uint32_t)bytes[offset + 1] << 8) |
               ((uint32_t)bytes[offset + 2] << 16) |
               ((uint32_t)bytes[offset + 3] << 24));
}

namespace {

// The offset of the nearest end record whose comment ends exactly at the end
// of the file of `size` bytes (at least one record long), or -1. Searched
// backwards in windows that share a record's length, so that every position
// is tried.
int64_t searchEndRecord(const char* path, int64_t size) {
  int64_t window = size < kWindowLength ? size : kWindowLength;
  int64_t start = size - window;
  for (;;) {
    ownedString buffer(createFileContent(path, start, window));
    const unsigned char* bytes =
        reinterpret_cast<const unsigned char*>(buffer.get());
    for (int64_t i = window - kRecordLength; i >= 0; i--) {
      if (get4LE(bytes, (int)i) != kSignature) continue;
      int length = get2LE(bytes, (int)i + kCommentLengthOffset);
      if (start + i + kRecordLength + length == size) return start + i;
    }
    if (start == 0) return -1;
    start -= window - kRecordLength;
    if (start < 0) start = 0;
  }
}

}  // namespace

int64_t findEndRecord(const char* path) {
  int64_t size = getFileSize(path);
  return size < kRecordLength ? -1 : searchEndRecord(path, size);
}

char* getZipComment(const char* path) {
  int64_t size = getFileSize(path);
  if (size < kRecordLength)
    throw createStringCopy("Zip file size is unreasonably small");
  int64_t record = searchEndRecord(path, size);
  if (record < 0) return nullptr;
  int64_t length = size - record - kRecordLength;
  return createFileContent(path, size - length, length);
}
