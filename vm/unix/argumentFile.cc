#include "vm/unix/argumentFile.h"

#include <unistd.h>

#include <cstring>

#include "util/pathServices.h"
#include "util/strings.h"
#include "util/uniqueFile.h"

extern char** environ;

namespace {

// The kernel's limit on one argument string (32 pages).
const size_t kMaxArgumentLength = 32 * 4096;

// What one string costs of the shared limit: its bytes, its terminator and
// its pointer.
size_t cost(const char* s) { return strlen(s) + 1 + sizeof(char*); }

}  // namespace

bool commandLineFits(char* const* argv) {
  long limit = sysconf(_SC_ARG_MAX);
  if (limit <= 0) limit = 128 * 1024;
  size_t total = sizeof(char*) * 2;
  for (char* const* arg = argv; *arg; arg++) {
    if (strlen(*arg) >= kMaxArgumentLength) return false;
    total += cost(*arg);
  }
  for (char** entry = environ; entry && *entry; entry++) total += cost(*entry);
  // Headroom for what the kernel and the loader put beside the strings.
  return total + 4096 <= (size_t)limit;
}

std::string quoteForArgumentFile(const char* argument) {
  std::string quoted("\"");
  for (const char* p = argument; *p; p++) {
    switch (*p) {
      case '\\': quoted += "\\\\"; break;
      case '"': quoted += "\\\""; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      case '\f': quoted += "\\f"; break;
      default: quoted += *p;
    }
  }
  quoted += '"';
  return quoted;
}

char* writeArgumentFile(char* const* argv) {
  std::string text;
  for (char* const* arg = argv + 1; *arg; arg++) {
    text += quoteForArgumentFile(*arg);
    text += '\n';
  }
  ownedString path(createStringCopy("/tmp/tavimor-args-XXXXXX"));
  int fd = createUniqueFile(path.get());
  if (fd < 0) throwMessage("Unable to create temporary file.");
  return fillTempFile(path.release(), fd, text.c_str());
}
