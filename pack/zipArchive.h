// Reading the ZIP archive that ends a file, as far as packaging needs it:
// the content of one named entry. Its end record is the one the launcher
// finds (findEndRecord). The archive may follow other bytes (a launcher
// image, for instance); its inner offsets count from its own first byte.
#ifndef LAUNCHER_PACK_ZIPARCHIVE_H
#define LAUNCHER_PACK_ZIPARCHIVE_H

#include <cstdint>
#include <optional>
#include <string>

// The uncompressed content of the first entry of the archive ending the
// file at `path` whose name equals `name` regardless of ASCII letter case,
// or nothing when the archive has no such entry. Stored and deflated
// entries are read; ZIP64 end records and sizes are understood. Throws a
// message naming the file when it holds no archive, the archive is damaged
// (bad structure, bad deflate data, CRC mismatch) or the entry is encrypted
// or compressed by another method.
std::optional<std::string> readArchiveEntry(const char* path, const char* name);

#endif
