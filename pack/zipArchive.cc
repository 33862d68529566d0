#include "pack/zipArchive.h"

#include <strings.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "driver/zipComment.h"
#include "util/pathServices.h"
#include "util/strings.h"

namespace {

const int kEndRecordLength = 22;
const int kZip64LocatorSignature = 0x07064b50;
const int kZip64LocatorLength = 20;
const int kZip64EndSignature = 0x06064b50;
const int kZip64EndLength = 56;
const int kCentralSignature = 0x02014b50;
const int kCentralLength = 46;
const int kLocalSignature = 0x04034b50;
const int kLocalLength = 30;
const int kZip64ExtraId = 0x0001;
const uint32_t kZip64Marker = 0xffffffff;
// Larger entries are taken for damage: this reader is meant for manifests,
// and a damaged header must not make it allocate gigabytes.
const uint64_t kLargestEntry = 64 << 20;

struct fileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
typedef std::unique_ptr<FILE, fileCloser> openFile;

const unsigned char* bytesOf(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

uint32_t get4(const std::string& s, size_t offset) {
  return (uint32_t)get4LE(bytesOf(s), (int)offset);
}

uint64_t get8(const std::string& s, size_t offset) {
  return get4(s, offset) | (uint64_t)get4(s, offset + 4) << 32;
}

int get2(const std::string& s, size_t offset) {
  return get2LE(bytesOf(s), (int)offset);
}

[[noreturn]] void throwDamaged(const char* path, const char* what) {
  throwMessage("'%s' is not a readable ZIP archive: %s", path, what);
}

// Exactly `count` bytes from `offset`, or a thrown message.
std::string readBytes(FILE* file, const char* path, int64_t offset,
                      uint64_t count) {
  std::string bytes(count, '\0');
  if (fseeko(file, offset, SEEK_SET) != 0 ||
      (count > 0 && fread(&bytes[0], 1, count, file) != count))
    throwDamaged(path, "it ends inside a record");
  return bytes;
}

// The ZIP64 fields that replace the 32-bit ones marked 0xffffffff, in the
// order the format gives them.
void readZip64Sizes(const std::string& extra, const char* path,
                    uint64_t* uncompressed, uint64_t* compressed,
                    uint64_t* localOffset) {
  size_t at = 0;
  while (at + 4 <= extra.size()) {
    int id = get2(extra, at), length = get2(extra, at + 2);
    size_t value = at + 4, end = value + length;
    if (end > extra.size()) break;
    if (id == kZip64ExtraId) {
      for (uint64_t* field : {uncompressed, compressed, localOffset}) {
        if (*field != kZip64Marker) continue;
        if (value + 8 > end) throwDamaged(path, "short ZIP64 extra field");
        *field = get8(extra, value);
        value += 8;
      }
      return;
    }
    at = end;
  }
  throwDamaged(path, "ZIP64 sizes are missing");
}

std::string inflateEntry(const std::string& data, uint64_t size,
                         const char* path, const char* name) {
  std::string out(size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
    throwMessage("zlib cannot be initialised");
  stream.next_in = const_cast<Bytef*>(bytesOf(data));
  stream.avail_in = (uInt)data.size();
  // One spare byte shows data that inflates to more than the recorded size.
  char spare;
  stream.next_out = size > 0 ? reinterpret_cast<Bytef*>(&out[0])
                             : reinterpret_cast<Bytef*>(&spare);
  stream.avail_out = size > 0 ? (uInt)size : 1;
  int status = inflate(&stream, Z_FINISH);
  uint64_t produced = stream.total_out;
  inflateEnd(&stream);
  if (status != Z_STREAM_END || produced != size)
    throwMessage(
        "'%s' is not a readable ZIP archive: entry '%s' holds "
        "damaged deflate data",
        path, name);
  return out;
}

}  // namespace

std::optional<std::string> readArchiveEntry(const char* path,
                                            const char* name) {
  int64_t endRecord = findEndRecord(path);
  if (endRecord < 0) throwDamaged(path, "no end record ends the file");
  openFile file(fopen(path, "rb"));
  if (!file) throwMessage("Unable to open '%s'", path);

  std::string end = readBytes(file.get(), path, endRecord, kEndRecordLength);
  uint64_t entries = get2(end, 10);
  uint64_t directorySize = get4(end, 12);
  uint64_t directoryOffset = get4(end, 16);
  int64_t directoryEnd = endRecord;
  if (entries == 0xffff || directorySize == kZip64Marker ||
      directoryOffset == kZip64Marker) {
    int64_t locator = endRecord - kZip64LocatorLength;
    int64_t record = locator - kZip64EndLength;
    if (record < 0 || get4(readBytes(file.get(), path, locator, 4), 0) !=
                          (uint32_t)kZip64LocatorSignature)
      throwDamaged(path, "the ZIP64 end record locator is missing");
    std::string zip64 = readBytes(file.get(), path, record, kZip64EndLength);
    if (get4(zip64, 0) != (uint32_t)kZip64EndSignature)
      throwDamaged(path, "the ZIP64 end record is missing");
    directorySize = get8(zip64, 40);
    directoryOffset = get8(zip64, 48);
    directoryEnd = record;
  }
  // Where the archive's own offset 0 lies in the file.
  int64_t base =
      directoryEnd - (int64_t)directorySize - (int64_t)directoryOffset;
  if (directorySize > (uint64_t)directoryEnd || base < 0)
    throwDamaged(path, "the central directory lies outside the file");
  std::string directory =
      readBytes(file.get(), path, base + directoryOffset, directorySize);

  size_t nameLength = strlen(name);
  for (size_t at = 0; at + kCentralLength <= directory.size();) {
    if (get4(directory, at) != (uint32_t)kCentralSignature)
      throwDamaged(path, "bad central directory entry");
    int flags = get2(directory, at + 8);
    int method = get2(directory, at + 10);
    uint32_t crc = get4(directory, at + 16);
    uint64_t compressed = get4(directory, at + 20);
    uint64_t uncompressed = get4(directory, at + 24);
    size_t entryNameLength = get2(directory, at + 28);
    size_t extraLength = get2(directory, at + 30);
    size_t commentLength = get2(directory, at + 32);
    uint64_t localOffset = get4(directory, at + 42);
    size_t next =
        at + kCentralLength + entryNameLength + extraLength + commentLength;
    if (next > directory.size())
      throwDamaged(path, "bad central directory entry");
    if (entryNameLength != nameLength ||
        strncasecmp(directory.data() + at + kCentralLength, name, nameLength) !=
            0) {
      at = next;
      continue;
    }

    if (compressed == kZip64Marker || uncompressed == kZip64Marker ||
        localOffset == kZip64Marker)
      readZip64Sizes(
          directory.substr(at + kCentralLength + entryNameLength, extraLength),
          path, &uncompressed, &compressed, &localOffset);
    if (flags & 1) throwMessage("'%s': entry '%s' is encrypted", path, name);
    if (method != 0 && method != Z_DEFLATED)
      throwMessage(
          "'%s': entry '%s' uses compression method %d, which "
          "cannot be read",
          path, name, method);
    if (uncompressed > kLargestEntry || compressed > kLargestEntry)
      throwDamaged(path, "implausible entry size");

    std::string local =
        readBytes(file.get(), path, base + localOffset, kLocalLength);
    if (get4(local, 0) != (uint32_t)kLocalSignature)
      throwDamaged(path, "bad local header");
    int64_t data =
        base + localOffset + kLocalLength + get2(local, 26) + get2(local, 28);
    std::string stored = readBytes(file.get(), path, data, compressed);
    std::string content;
    if (method == 0) {
      if (compressed != uncompressed)
        throwDamaged(path, "stored entry with two sizes");
      content = stored;
    } else {
      content = inflateEntry(stored, uncompressed, path, name);
    }
    if (crc32(0, bytesOf(content), (uInt)content.size()) != crc)
      throwMessage(
          "'%s' is not a readable ZIP archive: entry '%s' fails its "
          "CRC check",
          path, name);
    return content;
  }
  return std::nullopt;
}
