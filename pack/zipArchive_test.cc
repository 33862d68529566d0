#include "pack/zipArchive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>

#include "driver/zipComment.h"
#include "pack/manifest.h"
#include "tests/testSupport.h"
#include "util/strings.h"

namespace {

void put2(std::string* out, uint32_t v) {
  out->push_back((char)(v & 0xff));
  out->push_back((char)(v >> 8 & 0xff));
}

void put4(std::string* out, uint32_t v) {
  put2(out, v & 0xffff);
  put2(out, v >> 16);
}

void put8(std::string* out, uint64_t v) {
  put4(out, (uint32_t)v);
  put4(out, (uint32_t)(v >> 32));
}

std::string rawDeflate(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
               Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = (Bytef*)data.data();
  stream.avail_in = data.size();
  stream.next_out = (Bytef*)&out[0];
  stream.avail_out = out.size();
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

struct testEntry {
  std::string name;
  std::string content;
  bool deflated;
};

struct testArchive {
  std::string bytes;
  std::vector<size_t> central;  // offset of each central directory entry
  std::vector<size_t> data;     // offset of each entry's stored data
};

// A ZIP archive after `prefix`, its offsets counting from the archive's own
// start; with `zip64` every size and offset goes through the ZIP64 fields.
testArchive buildArchive(const std::vector<testEntry>& entries,
                         const std::string& prefix = "",
                         const std::string& comment = "", bool zip64 = false) {
  testArchive archive;
  std::string& out = archive.bytes;
  out = prefix;
  std::string directory;
  for (const testEntry& entry : entries) {
    std::string stored =
        entry.deflated ? rawDeflate(entry.content) : entry.content;
    uint32_t crc =
        crc32(0, (const Bytef*)entry.content.data(), entry.content.size());
    size_t local = out.size() - prefix.size();
    put4(&out, 0x04034b50);
    put2(&out, 20);
    put2(&out, 0);
    put2(&out, entry.deflated ? 8 : 0);
    put4(&out, 0);
    put4(&out, crc);
    put4(&out, stored.size());
    put4(&out, entry.content.size());
    put2(&out, entry.name.size());
    put2(&out, 0);
    out += entry.name;
    archive.data.push_back(out.size());
    out += stored;

    std::string extra;
    if (zip64) {
      put2(&extra, 1);
      put2(&extra, 24);
      put8(&extra, entry.content.size());
      put8(&extra, stored.size());
      put8(&extra, local);
    }
    archive.central.push_back(directory.size());
    put4(&directory, 0x02014b50);
    put2(&directory, 20);
    put2(&directory, 20);
    put2(&directory, 0);
    put2(&directory, entry.deflated ? 8 : 0);
    put4(&directory, 0);
    put4(&directory, crc);
    put4(&directory, zip64 ? 0xffffffff : stored.size());
    put4(&directory, zip64 ? 0xffffffff : entry.content.size());
    put2(&directory, entry.name.size());
    put2(&directory, extra.size());
    put2(&directory, 0);
    put2(&directory, 0);
    put2(&directory, 0);
    put4(&directory, 0);
    put4(&directory, zip64 ? 0xffffffff : local);
    directory += entry.name + extra;
  }
  size_t directoryOffset = out.size() - prefix.size();
  for (size_t& at : archive.central) at += out.size();
  out += directory;
  if (zip64) {
    size_t record = out.size() - prefix.size();
    put4(&out, 0x06064b50);
    put8(&out, 44);
    put2(&out, 45);
    put2(&out, 45);
    put4(&out, 0);
    put4(&out, 0);
    put8(&out, entries.size());
    put8(&out, entries.size());
    put8(&out, directory.size());
    put8(&out, directoryOffset);
    put4(&out, 0x07064b50);
    put4(&out, 0);
    put8(&out, record);
    put4(&out, 1);
  }
  put4(&out, 0x06054b50);
  put2(&out, 0);
  put2(&out, 0);
  put2(&out, zip64 ? 0xffff : entries.size());
  put2(&out, zip64 ? 0xffff : entries.size());
  put4(&out, zip64 ? 0xffffffff : directory.size());
  put4(&out, zip64 ? 0xffffffff : directoryOffset);
  put2(&out, comment.size());
  out += comment;
  return archive;
}

const char kManifest[] =
    "Manifest-Version: 1.0\r\nMain-Class: app.Main\r\nCreated-By: test\r\n\r\n";

struct layoutCase {
  const char* label;
  bool deflated;
  std::string prefix;
  std::string comment;
  bool zip64;
  std::string entryName;
};

TEST(readArchiveEntry, readsTheManifestInEveryLayout) {
  // A class file before the manifest puts the manifest at a non-zero local
  // offset, which the prefix then shifts within the file.
  std::string image =
      "\x7f"
      "ELF" +
      std::string(300, 'x');
  const layoutCase cases[] = {
      {"stored", false, "", "", false, "META-INF/MANIFEST.MF"},
      {"deflated", true, "", "", false, "META-INF/MANIFEST.MF"},
      {"behind a launcher image", true, image, "", false,
       "META-INF/MANIFEST.MF"},
      {"with a comment", false, "", "mainclass x\nPK\x05\x06", false,
       "META-INF/MANIFEST.MF"},
      {"ZIP64", true, image, "", true, "META-INF/MANIFEST.MF"},
      {"name in other case", false, "", "", false, "meta-inf/Manifest.mf"},
  };
  for (const layoutCase& c : cases) {
    SCOPED_TRACE(c.label);
    scratchDirectory dir;
    writeFile(dir / "app.jar",
              buildArchive({{"app/Other.class", std::string(500, 'c'), true},
                            {c.entryName, kManifest, c.deflated}},
                           c.prefix, c.comment, c.zip64)
                  .bytes);
    std::optional<std::string> manifest =
        readArchiveEntry((dir / "app.jar").c_str(), "META-INF/MANIFEST.MF");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(kManifest, *manifest);
    EXPECT_EQ("app.Main", readManifestMainClass((dir / "app.jar").c_str()));
  }
}

TEST(readArchiveEntry, answersNothingForAMissingEntry) {
  scratchDirectory dir;
  writeFile(dir / "app.jar",
            buildArchive({{"app/Main.class", "cafe", false}}).bytes);
  EXPECT_FALSE(
      readArchiveEntry((dir / "app.jar").c_str(), "META-INF/MANIFEST.MF"));
  EXPECT_FALSE(readManifestMainClass((dir / "app.jar").c_str()));
}

TEST(readArchiveEntry, refusesDamagedAndUnreadableEntries) {
  struct damageCase {
    const char* label;
    bool deflated;
    std::function<void(testArchive*)> damage;
    const char* message;
  };
  const damageCase cases[] = {
      {"stored content changed", false,
       [](testArchive* a) { a->bytes[a->data[0] + 3] ^= 1; },
       "entry 'META-INF/MANIFEST.MF' fails its CRC check"},
      {"deflate data garbled", true,
       [](testArchive* a) {
         a->bytes.replace(a->data[0], 4, "\xff\xff\xff\xff");
       },
       "entry 'META-INF/MANIFEST.MF' holds damaged deflate data"},
      {"other compression method", false,
       [](testArchive* a) { a->bytes[a->central[0] + 10] = 12; },
       "uses compression method 12, which cannot be read"},
      {"encrypted", false,
       [](testArchive* a) { a->bytes[a->central[0] + 8] = 1; },
       "entry 'META-INF/MANIFEST.MF' is encrypted"},
      {"central directory moved off", false,
       [](testArchive* a) { a->bytes[a->bytes.size() - 22 + 19] = 0x40; },
       "the central directory lies outside the file"},
      {"local header lost", false,
       [](testArchive* a) {
         a->bytes[a->data[0] - 30 - strlen("META-INF/MANIFEST.MF")] = 'X';
       },
       "bad local header"},
  };
  for (const damageCase& c : cases) {
    SCOPED_TRACE(c.label);
    scratchDirectory dir;
    testArchive archive =
        buildArchive({{"META-INF/MANIFEST.MF", kManifest, c.deflated}});
    c.damage(&archive);
    writeFile(dir / "app.jar", archive.bytes);
    std::string message = thrownMessage(
        [&] { readManifestMainClass((dir / "app.jar").c_str()); });
    EXPECT_NE(std::string::npos, message.find(c.message)) << message;
    EXPECT_NE(std::string::npos, message.find(dir / "app.jar")) << message;
  }
}

TEST(readArchiveEntry, refusesAFileWithoutArchive) {
  scratchDirectory dir;
  writeFile(dir / "notes.txt", "these are no archive, just some notes\n");
  EXPECT_EQ("'" + dir / "notes.txt" +
                "' is not a readable ZIP archive: no end record ends the file",
            thrownMessage(
                [&] { readArchiveEntry((dir / "notes.txt").c_str(), "a"); }));
}

TEST(findEndRecord, findsTheRecordThatTheLauncherReads) {
  std::string archive = buildArchive({{"a", "b", false}}).bytes;
  size_t record = archive.size() - 22;
  struct endCase {
    const char* label;
    std::string bytes;
    int64_t expected;
  };
  // A comment that holds a record signature whose length field does not
  // reach the end must not be taken for the record.
  std::string fake = archive;
  fake[record + 20] = 26;
  fake += "PK\x05\x06" + std::string(16, '\0') + "\x07" + std::string(5, 'z');
  const endCase cases[] = {
      {"plain archive", archive, (int64_t)record},
      {"signature inside the comment", fake, (int64_t)record},
      {"bytes after the comment", archive + "!", -1},
      {"no archive at all", std::string(100, 'x'), -1},
  };
  for (const endCase& c : cases) {
    SCOPED_TRACE(c.label);
    scratchDirectory dir;
    writeFile(dir / "f", c.bytes);
    EXPECT_EQ(c.expected, findEndRecord((dir / "f").c_str()));
    ownedString comment(getZipComment((dir / "f").c_str()));
    EXPECT_EQ(c.expected >= 0, comment != nullptr);
  }
}

}  // namespace
