// Path, file, directory and environment services. Every returned or
// appended string is owned by the receiver. Failures are thrown as owned
// message strings; nothing here prints.
//
// testFile, writeTempFile and addFiles differ between the deliverables and
// live in pathServicesUnix.cc and pathServicesMac.cc; the build links one.
#ifndef LAUNCHER_UTIL_PATHSERVICES_H
#define LAUNCHER_UTIL_PATHSERVICES_H

#include <cstdint>
#include <string>

class stringArray;

// Returns 1 when the file is there, else 0. Unix: its status can be read
// (any kind of entry). Mac: it can be opened for reading.
int testFile(const char* path);

// Returns a new absolute path for a program name or path, or null (also for
// a null or empty name). A name starting with "/" is copied unchanged; one
// containing "/" is made absolute against the working directory; otherwise
// the directories of PATH are searched in order and the first candidate
// that passes testFile wins. No execute permission is tested.
char* createExePath(const char* name);

// Returns a new string holding the canonical path of HACKexePath, or a copy
// of HACKexePath when it cannot be resolved.
char* getExecutablePath();

// Returns a new absolute path. `path` starting with "/" is copied as
// written. Otherwise its components are applied, as text, to the canonical
// form of `base` (a file or a directory; null means the working directory):
// "." is skipped, ".." cuts the last component, an inner empty component
// adds a "/", a trailing "/" adds nothing. An empty result means the root
// directory and is returned as "/". A base that cannot be resolved is used
// as written. Throws when the working directory cannot be read.
char* createAbsolutePath(const char* base, const char* path);

// Returns the size of the file in bytes. Throws "Unable to open '%s'" when
// it cannot be opened for reading or is not a regular file (a directory, a
// device).
int64_t getFileSize(const char* path);

// Returns a new buffer of count + 1 bytes: up to `count` bytes read from
// `offset` (fewer when the file is shorter), then a NUL. Bytes are copied
// unchanged, NUL bytes included. Throws "Unable to open '%s'" as
// getFileSize does, "Unable to read '%s'" when reading fails.
char* createFileContent(const char* path, int64_t offset, int64_t count);

// Creates a new, uniquely named file under /tmp holding `text` (without its
// terminator), mode 0600, and returns its new path. Throws "Unable to create
// temporary file." or "Failed to write to temporary file."; a file that
// could not be written whole is removed again.
char* writeTempFile(const char* text);

// Appends to `list` the absolute path of every entry of `directory` whose
// name is longer than `suffix`, ends in exactly `suffix` and has "." just
// before it. Unix: in the directory's own order. Mac: in alphasort order.
// A directory that cannot be read adds nothing.
void addFiles(stringArray* list, const char* directory, const char* suffix);

// Returns a new copy of the variable's value ("" when set but empty), or
// null when it is not set.
char* createEnvironmentValue(const char* name);

// Appends the name (the text before the first "=", or the whole entry when
// it has none) of every environment entry, in the environment's order.
void addEnvironmentNames(stringArray* list);

// Shared by the platform variants.

// True when `name` is longer than `suffix`, ends in it exactly and has a
// "." just before it.
bool nameHasSuffix(const char* name, const char* suffix);

// Returns what createAbsolutePath(directory, name) puts before a plain entry
// name (no "/", not "." or ".."): the canonical directory and a "/".
std::string entryPathPrefix(const char* directory);

// Writes `text` to the new file open on `fd` at `path` (owned; it passes to
// this function) and closes it. Returns `path`, or removes the file, frees
// the path and throws "Failed to write to temporary file.".
char* fillTempFile(char* path, int fd, const char* text);

#endif
