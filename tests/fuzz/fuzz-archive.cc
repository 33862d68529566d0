// Searches arbitrary bytes, written to a file, for an archive comment, and
// checks that whatever is found really is the comment of an end record that
// ends the file. The first byte may ask for filler in front of the data, so
// that files larger than one search window are searched too.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/zipComment.h"

namespace {

std::string scratchFile() {
  static std::string path;
  if (path.empty()) {
    char pattern[] = "/tmp/fuzz-archive-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0) abort();
    close(fd);
    path = pattern;
    atexit([] { unlink(path.c_str()); });
  }
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file;
  if (size > 0 && (data[0] & 1)) {
    size_t filler = 65536 + (data[0] >> 1) * 97;
    for (size_t i = 0; i < filler; i++) file.push_back((uint8_t)(i * 31));
  }
  file.insert(file.end(), data, data + size);
  std::string path = scratchFile();
  int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0 || write(fd, file.data(), file.size()) != (ssize_t)file.size())
    abort();
  close(fd);

  char* comment = nullptr;
  try {
    comment = getZipComment(path.c_str());
  } catch (char* message) {
    bool tooSmall = strcmp(message, "Zip file size is unreasonably small") == 0;
    delete[] message;
    if (!tooSmall || file.size() >= 22) abort();
    return 0;
  }
  // The nearest record whose comment reaches exactly to the end of the file.
  bool found = false;
  size_t length = 0;
  for (size_t n = 0; n <= 65535 && n + 22 <= file.size(); n++) {
    const uint8_t* record = &file[file.size() - 22 - n];
    if (get4LE(record, 0) == 0x06054b50 && (size_t)get2LE(record, 20) == n) {
      found = true;
      length = n;
      break;
    }
  }
  if (found != (comment != nullptr)) abort();
  if (comment) {
    const char* tail = reinterpret_cast<const char*>(&file[file.size() - length]);
    size_t expected = strnlen(tail, length);
    if (strlen(comment) != expected || memcmp(comment, tail, expected) != 0)
      abort();
    delete[] comment;
  }
  return 0;
}
