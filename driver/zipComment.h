// Finds the comment of a ZIP archive that ends a file: the configuration
// carried by a launcher with the application's archive appended to it.
#ifndef LAUNCHER_DRIVER_ZIPCOMMENT_H
#define LAUNCHER_DRIVER_ZIPCOMMENT_H

#include <cstdint>

// Returns a new string holding the comment of the end-of-central-directory
// record whose comment ends exactly at the end of the file at `path`
// (borrowed), "" for an empty comment, or null when there is none. The file
// is searched backwards in windows of at most 64 KiB that overlap by 22
// bytes. Throws "Zip file size is unreasonably small" for a file shorter
// than 22 bytes and "Unable to open '%s'" when it cannot be read.
char* getZipComment(const char* path);

// Returns the offset of the end record that getZipComment reads, or -1 when
// the file has none (also when it is shorter than 22 bytes). Throws
// "Unable to open '%s'" when it cannot be read.
int64_t findEndRecord(const char* path);

// The unsigned little-endian value of the 2 or 4 bytes at `offset`.
int get2LE(const unsigned char* bytes, int offset);
int get4LE(const unsigned char* bytes, int offset);

#endif
