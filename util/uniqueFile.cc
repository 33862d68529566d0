#include "util/uniqueFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cstring>

int createUniqueFile(char* pathTemplate) {
  static const char letters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  size_t end = strlen(pathTemplate);
  size_t start = end;
  while (start > 0 && pathTemplate[start - 1] == 'X') start--;
  if (start == end) {
    errno = EINVAL;
    return -1;
  }
  for (int attempt = 0; attempt < 1000; attempt++) {
    unsigned char random[256];
    size_t want = end - start < sizeof random ? end - start : sizeof random;
    if (getentropy(random, want) != 0) return -1;
    for (size_t i = start; i < end; i++)
      pathTemplate[i] = letters[random[(i - start) % want] % 62];
    int fd;
    do {
      fd = open(pathTemplate, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}
