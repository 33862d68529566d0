#include "tests/testSupport.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <glob.h>
#include <grp.h>
#include <poll.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

scratchDirectory::scratchDirectory() {
  char pattern[] = "/tmp/launcher-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  char* resolved = realpath(pattern, nullptr);
  root = resolved;
  free(resolved);
}

static int removeEntry(const char* path, const struct stat*, int,
                       struct FTW*) {
  chmod(path, 0700);
  remove(path);
  return 0;
}

scratchDirectory::~scratchDirectory() {
  // Directories made unreadable by a test are opened up first.
  chmod(root.c_str(), 0700);
  nftw(root.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string scratchDirectory::operator/(const std::string& name) const {
  return root + "/" + name;
}

void writeFile(const std::string& path, const std::string& content, int mode) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  file.close();
  chmod(path.c_str(), mode);
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

bool fileExists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

std::string thrownMessage(const std::function<void()>& fn) {
  try {
    fn();
  } catch (char* message) {
    std::string text(message);
    delete[] message;
    return text;
  }
  return "<nothing thrown>";
}

namespace {

// True when `environment` (NAME=VALUE entries) sets `name` to a non-empty
// value.
bool setsVariable(const std::vector<std::string>& environment,
                  const std::string& name) {
  for (const std::string& entry : environment)
    if (entry.size() > name.size() + 1 &&
        entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=')
      return true;
  return false;
}

// A copy of launcher-unix: an ELF program in a scratch directory, or the
// built one, that does not link the Java VM as launcher-mac does (the VM
// is far too slow and noisy under valgrind).
bool isLauncherUnixCopy(const std::string& program) {
  std::string name = program.substr(program.rfind('/') + 1);
  if (program.rfind("/tmp/launcher-test-", 0) != 0 && name != "launcher-unix")
    return false;
  std::string content = readFile(program);
  return content.compare(0, 4, "\177ELF") == 0 &&
         content.find("libjvm") == std::string::npos;
}

std::string findOnPath(const std::string& name) {
  const char* value = getenv("PATH");
  std::string list = value ? value : "/usr/bin:/bin";
  for (size_t start = 0;;) {
    size_t colon = list.find(':', start);
    std::string dir = list.substr(
        start, colon == std::string::npos ? std::string::npos : colon - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string::npos) return "";
    start = colon + 1;
  }
}

}  // namespace

runResult runProgram(const std::vector<std::string>& argv,
                     const runOptions& options) {
  return runProgramAs(argv[0], argv, options);
}

runResult runProgramAs(const std::string& program,
                       const std::vector<std::string>& argv,
                       const runOptions& options) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; entry++) {
    std::string text(*entry);
    std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& removed : options.unset)
      if (removed == name) replaced = true;
    for (const std::string& added : options.environment)
      if (added.substr(0, added.find('=')) == name) replaced = true;
    if (!replaced) environment.push_back(text);
  }
  for (const std::string& added : options.environment)
    environment.push_back(added);

  // Valgrind passes the program's path as its argument 0, so only a
  // program started under its own path can run under it unchanged.
  std::string executed = program;
  std::vector<std::string> arguments = argv;
  if (setsVariable(environment, "LAUNCHER_VALGRIND") && !argv.empty() &&
      argv[0] == program && isLauncherUnixCopy(program)) {
    executed = findOnPath("valgrind");
    if (executed.empty())
      throw std::runtime_error("LAUNCHER_VALGRIND is set, valgrind is missing");
    // No gdb server: it would leave its pipes in /tmp when a test kills the
    // program.
    arguments = {executed, "--quiet", "--vgdb=no", "--error-exitcode=86",
                 "--leak-check=full", "--errors-for-leak-kinds=definite",
                 "--show-leak-kinds=definite", program};
    arguments.insert(arguments.end(), argv.begin() + 1, argv.end());
  }

  std::vector<char*> args, env;
  for (const std::string& a : arguments)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : environment)
    env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);

  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC))
    throw std::runtime_error("pipe failed");
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
      _exit(126);
    if (options.userId >= 0 &&
        (setgroups(0, nullptr) != 0 || setgid(options.userId) != 0 ||
         setuid(options.userId) != 0))
      _exit(126);
    execve(executed.c_str(), args.data(), env.data());
    dprintf(2, "exec %s: %s\n", executed.c_str(), strerror(errno));
    _exit(126);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);
  if (!options.input.empty() &&
      write(in[1], options.input.data(), options.input.size()) < 0) {
  }
  close(in[1]);

  runResult result{0, "", ""};
  struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  time_t deadline = time(nullptr) + options.timeoutSeconds;
  bool killed = false;
  while (open > 0) {
    int ready = poll(fds, 2, 1000);
    if (ready < 0 && errno != EINTR) break;
    if (time(nullptr) > deadline && !killed) {
      kill(pid, SIGKILL);
      killed = true;
    }
    for (int i = 0; i < 2; i++) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? result.out : result.err).append(buffer, n);
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        open--;
      }
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status)
                                    : 128 + WTERMSIG(status);
  return result;
}

void packExecutable(const std::string& launcher, const std::string& jar,
                    const std::string& comment, const std::string& out) {
  std::string archive = readFile(jar);
  if (archive.size() < 22 ||
      archive.compare(archive.size() - 22, 4, "PK\x05\x06") != 0 ||
      archive[archive.size() - 2] != 0 || archive[archive.size() - 1] != 0)
    throw std::runtime_error("not an archive without comment: " + jar);
  archive[archive.size() - 2] = (char)(comment.size() & 0xff);
  archive[archive.size() - 1] = (char)(comment.size() >> 8);
  writeFile(out, readFile(launcher) + archive + comment, 0755);
}

std::set<std::string> environmentDumps() {
  std::set<std::string> names;
  glob_t found;
  if (glob("/tmp/tavimor-envdump-*", 0, nullptr, &found) == 0) {
    for (size_t i = 0; i < found.gl_pathc; i++)
      names.insert(found.gl_pathv[i]);
    globfree(&found);
  }
  return names;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

capturedOutput::capturedOutput(int fd, const std::string& path)
    : fd(fd), path(path) {
  fflush(nullptr);
  saved = dup(fd);
  int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  dup2(file, fd);
  close(file);
}

capturedOutput::~capturedOutput() { finish(); }

std::string capturedOutput::finish() {
  if (saved >= 0) {
    fflush(nullptr);
    dup2(saved, fd);
    close(saved);
    saved = -1;
  }
  return readFile(path);
}

localSocket::localSocket(bool listening) {
  fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  struct sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, (struct sockaddr*)&address, length) != 0 ||
      getsockname(fd, (struct sockaddr*)&address, &length) != 0 ||
      (listening && listen(fd, 16) != 0))
    throw std::runtime_error("cannot set up a local socket");
  port = ntohs(address.sin_port);
}

localSocket::~localSocket() { close(fd); }

std::vector<std::string> localSocket::messages() {
  std::vector<std::string> result;
  fcntl(fd, F_SETFL, O_NONBLOCK);
  for (;;) {
    int connection = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) break;
    std::string message;
    char buffer[1024];
    ssize_t n;
    while ((n = read(connection, buffer, sizeof buffer)) > 0)
      message.append(buffer, n);
    close(connection);
    result.push_back(message);
  }
  return result;
}
