#include "bench/benchSupport.h"

#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

std::string& scratchPath() {
  static std::string path;
  return path;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  return ::remove(path);
}

}  // namespace

const std::string& scratchDirectory() {
  std::string& path = scratchPath();
  if (path.empty()) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") +
                          "/launcherBench-XXXXXX";
    if (!mkdtemp(&pattern[0]))
      throw std::runtime_error("cannot create " + pattern);
    path = pattern;
  }
  return path;
}

void writeFile(const std::string& path, const std::string& content) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n <= 0) break;
    done += n;
  }
  close(fd);
  if (done != content.size())
    throw std::runtime_error("cannot write " + path);
}

void removeScratchDirectory() {
  std::string& path = scratchPath();
  if (path.empty()) return;
  // Depth first, so that each directory is empty when its turn comes; links
  // are removed, never followed.
  nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
  path.clear();
}
