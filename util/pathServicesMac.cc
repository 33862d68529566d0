// The Mac variants of the path services.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "util/pathServices.h"
#include "util/stringArray.h"
#include "util/strings.h"
#include "util/uniqueFile.h"

int testFile(const char* path) {
  // Non-blocking, or a FIFO would wait for a writer forever.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return 0;
  close(fd);
  return 1;
}

char* writeTempFile(const char* text) {
  ownedString path(createStringCopy("/tmp/tavimor-envdump-XXXX"));
  int fd = createUniqueFile(path.get());
  if (fd < 0) throwMessage("Unable to create temporary file.");
  return fillTempFile(path.release(), fd, text);
}

void addFiles(stringArray* list, const char* directory, const char* suffix) {
  struct dirent** entries = nullptr;
  int count = scandir(directory, &entries, nullptr, alphasort);
  if (count < 0) return;
  try {
    // Resolved once: resolving it again for each of thousands of entries
    // would cost more than the listing itself.
    std::string prefix = entryPathPrefix(directory);
    for (int i = 0; i < count; i++) {
      if (nameHasSuffix(entries[i]->d_name, suffix))
        list->append(createStringCopy((prefix + entries[i]->d_name).c_str()));
    }
  } catch (...) {
    for (int i = 0; i < count; i++) free(entries[i]);
    free(entries);
    throw;
  }
  for (int i = 0; i < count; i++) free(entries[i]);
  free(entries);
}
