// The Unix variants of the path services.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "util/pathServices.h"
#include "util/stringArray.h"
#include "util/strings.h"

int testFile(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 ? 1 : 0;
}

char* writeTempFile(const char* text) {
  ownedString path(createStringCopy("/tmp/tavimor-envdump-XXXXXX"));
  int fd = mkostemp(path.get(), O_CLOEXEC);
  if (fd < 0) throwMessage("Unable to create temporary file.");
  return fillTempFile(path.release(), fd, text);
}

void addFiles(stringArray* list, const char* directory, const char* suffix) {
  DIR* dir = opendir(directory);
  if (!dir) return;
  try {
    // Resolved once: resolving it again for each of thousands of entries
    // would cost more than the listing itself.
    std::string prefix = entryPathPrefix(directory);
    while (struct dirent* entry = readdir(dir)) {
      if (nameHasSuffix(entry->d_name, suffix))
        list->append(createStringCopy((prefix + entry->d_name).c_str()));
    }
  } catch (...) {
    closedir(dir);
    throw;
  }
  closedir(dir);
}
