// The platform's conventions for path lists, text lines and file names, and
// the removal of temporary files. The same in both deliverables.
#ifndef LAUNCHER_UTIL_PLATFORMCONVENTIONS_H
#define LAUNCHER_UTIL_PLATFORMCONVENTIONS_H

// Returns the static string ":". The caller must not free it.
const char* getPathSeparator();

// Returns the static string "\n". The caller must not free it.
const char* getLineTerminator();

// Returns the comparison for file names: ASCII case is ignored (strcasecmp).
int (*getFileStrCmp())(const char*, const char*);

// Removes the file at `path` (borrowed); any failure is passed over silently.
void deleteTempFile(const char* path);

#endif
