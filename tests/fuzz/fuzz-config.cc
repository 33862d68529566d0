// Parses arbitrary text as a configuration source into a scratch launch
// description, in a scratch directory. Every file the directives create is
// removed again.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "config/configFile.h"
#include "util/processGlobals.h"
#include "util/strings.h"
#include "vm/javaVm.h"

namespace {

class scratchVm : public javaVm {
 public:
  void run() override {}
};

std::string scratchDirectory() {
  static std::string directory;
  if (directory.empty()) {
    char pattern[] = "/tmp/fuzz-config-XXXXXX";
    if (!mkdtemp(pattern)) abort();
    directory = pattern;
    atexit([] { rmdir(directory.c_str()); });
  }
  return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char* text = new char[size + 1];
  memcpy(text, data, size);
  text[size] = 0;
  std::string name = scratchDirectory() + "/fuzz.config";
  {
    // The description deletes the dump files it registered.
    scratchVm vm;
    try {
      configFile source(createStringCopy(name.c_str()), &vm, text);
      source.parse();
    } catch (char* message) {
      delete[] message;
    }
  }
  while (HACKtempFileArray.size() > 0) HACKtempFileArray.remove(0);
  return 0;
}
