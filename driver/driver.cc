#include "driver/driver.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "config/configFile.h"
#include "driver/restart.h"
#include "driver/zipComment.h"
#include "util/pathServices.h"
#include "util/processGlobals.h"
#include "util/stringArray.h"
#include "util/strings.h"
#include "vm/javaVm.h"

int shell = 0;

namespace {

void socketFailure(const char* message) {
  if (debug) fputs(message, stderr);
}

// Sends every byte of `text`, retrying after interruptions and short sends.
bool sendAll(int fd, const char* text) {
  size_t length = strlen(text);
  size_t done = 0;
  while (done < length) {
    ssize_t n = send(fd, text + done, length - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

// Connects `fd` to `address`. An interrupted connect goes on in the
// background and must not be started again: its outcome is awaited instead.
bool connectTo(int fd, const struct sockaddr_in& address) {
  if (connect(fd, (const struct sockaddr*)&address, sizeof address) == 0)
    return true;
  if (errno != EINTR) return false;
  struct pollfd writable = {fd, POLLOUT, 0};
  int ready;
  do {
    ready = poll(&writable, 1, -1);
  } while (ready < 0 && errno == EINTR);
  int error = 0;
  socklen_t length = sizeof error;
  return ready == 1 &&
         getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
         error == 0;
}

// Throws the message for a launch that found no configuration source at
// all, naming the places it looked.
[[noreturn]] void throwNoConfiguration(const char* candidate,
                                       const char* exePath) {
  throwMessage(
      "No configuration found: no +CONFIG file was given, '%s' does not "
      "exist, and '%s' carries no appended archive with a configuration "
      "comment.",
      candidate, exePath);
}

}  // namespace

char* createConfigCandidate(const char* exePath) {
  ownedString candidate(createString(exePath, ".config"));
  if (testFile(candidate.get())) return candidate.release();
  char* resolved = realpath(exePath, nullptr);
  if (!resolved) return candidate.release();
  char* result = createString(resolved, ".config");
  free(resolved);
  return result;
}

int reportFailure(char* message) {
  printf("%s\n", message);
  fflush(stdout);
  delete[] message;
  return -2;
}

void HACKrestart() {
  fflush(nullptr);
  // The exit hook may run on a Java thread that blocks signals; the new
  // image must not start with them blocked.
  sigset_t none;
  sigemptyset(&none);
  pthread_sigmask(SIG_SETMASK, &none, nullptr);
  execv(HACKexePath, HACKargv);
}

int sendCommand(const char* host, int port, const char* text) {
  if (debug) {
    printf("sendCommand %s\n", text);
    fflush(stdout);
  }
  struct hostent* entry = gethostbyname(host);
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list[0])
    return 0;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    socketFailure("Can't create socket\n");
    return 0;
  }
  struct sockaddr_in address;
  memset(&address, 0, sizeof address);
  address.sin_family = AF_INET;
  address.sin_port = htons((uint16_t)(port & 0xffff));
  memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
  // A failed connection shows as a failed send, as the user expects to read.
  if (!connectTo(fd, address) || !sendAll(fd, text)) {
    socketFailure("Can't send message\n");
    close(fd);
    return 0;
  }
  if (close(fd) != 0 && errno != EINTR) {
    socketFailure("Error on closing socket\n");
    return 0;
  }
  return 1;
}

void configureAndRun(javaVm* vm, char* configPath, char* exePath, int argc,
                     char** argv) {
  ownedString candidate(configPath);
  ownedString ownPath(exePath);
  std::unique_ptr<configFile> config;
  bool configGiven = false;
  debug = 0;
  shell = 0;

  for (int i = 1; i < argc; i++) {
    const char* argument = argv[i];
    if (strcmp(argument, "+GUI") == 0) {
      continue;
    } else if (strcmp(argument, "+SHELL") == 0) {
      shell = 1;
    } else if (strcmp(argument, "+DEBUG") == 0) {
      debug = 1;
    } else if (strcmp(argument, "+CONFIG") == 0) {
      if (i + 1 >= argc)
        throw createStringCopy("+CONFIG must be followed by a path");
      candidate.reset(createAbsolutePath(nullptr, argv[++i]));
      config.reset(new configFile(createStringCopy(candidate.get()), vm));
      configGiven = true;
    } else {
      vm->addParam(createStringCopy(argument));
    }
  }

  ownedString comment(getZipComment(ownPath.get()));
  if (comment) vm->addBootPath(createStringCopy(ownPath.get()));

  if (!configGiven) {
    struct stat status;
    if (stat(candidate.get(), &status) == 0)
      config.reset(new configFile(createStringCopy(candidate.get()), vm));
    else if (comment)
      config.reset(new configFile(createStringCopy(ownPath.get()), vm,
                                  comment.release()));
    else
      throwNoConfiguration(candidate.get(), ownPath.get());
  }
  if (debug) printf("using config file %s\n", config->getName());
  config->parse();

  {
    ownedString resolved(getExecutablePath());
    vm->addVmOption(
        createString("-Dtavimor.executable.path=", resolved.get()));
  }

  if (shell) {
    std::unique_ptr<stringArray> params(vm->getParams());
    for (int i = 0; i < params->size(); i++) {
      ownedString absolute(createAbsolutePath(nullptr, (*params)[i]));
      ownedString message(createString("open ", absolute.get()));
      if (sendCommand("127.0.0.1", vm->getSocketPort(), message.get()) == 0) {
        shell = 0;
        break;
      }
    }
  }
  if (!shell) {
    vm->migrateDashJ();
    vm->run();
  }
}
