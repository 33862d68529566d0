#include "util/platformConventions.h"

#include <strings.h>
#include <unistd.h>

const char* getPathSeparator() { return ":"; }

const char* getLineTerminator() { return "\n"; }

int (*getFileStrCmp())(const char*, const char*) { return strcasecmp; }

void deleteTempFile(const char* path) { unlink(path); }
