// Helpers shared by the unit and end-to-end tests.
#ifndef LAUNCHER_TESTS_TESTSUPPORT_H
#define LAUNCHER_TESTS_TESTSUPPORT_H

#include <functional>
#include <set>
#include <string>
#include <vector>

// A new directory under /tmp, removed with everything in it on destruction.
class scratchDirectory {
 public:
  scratchDirectory();
  ~scratchDirectory();
  scratchDirectory(const scratchDirectory&) = delete;
  scratchDirectory& operator=(const scratchDirectory&) = delete;
  // The canonical path of the directory.
  const std::string& path() const { return root; }
  // `name` joined to the directory.
  std::string operator/(const std::string& name) const;

 private:
  std::string root;
};

void writeFile(const std::string& path, const std::string& content,
               int mode = 0644);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Runs `fn`; returns the owned message string it threw (freeing it), or
// "<nothing thrown>".
std::string thrownMessage(const std::function<void()>& fn);

struct runResult {
  int status;  // exit status, or 128 + N when signal N ended the program
  std::string out;
  std::string err;
};

struct runOptions {
  std::vector<std::string> environment;  // NAME=VALUE added or replaced
  std::vector<std::string> unset;        // names removed
  std::string directory;                 // working directory, "" for ours
  std::string input;                     // standard input
  int timeoutSeconds = 120;              // killed (SIGKILL) after this
  int userId = -1;  // >= 0: run as this user and group (needs root)
};

// Runs argv[0] with the arguments `argv` (argv[0] is also passed as the
// program's argument 0) and collects its output.
//
// With LAUNCHER_VALGRIND set in the program's environment, a launcher-unix
// copy (an ELF program in a scratch directory, or one named launcher-unix,
// that does not link the Java VM) started with itself as argument 0 runs
// under valgrind's memcheck instead: a memory error or a definite leak ends
// it with status 86 and the report is in `err`.
runResult runProgram(const std::vector<std::string>& argv,
                     const runOptions& options = runOptions());

// Like runProgram, but argument 0 is `argv0` while `program` is executed.
runResult runProgramAs(const std::string& program,
                       const std::vector<std::string>& argv,
                       const runOptions& options = runOptions());

// Writes `out`: the bytes of `launcher`, then the ZIP archive `jar` whose
// (empty) comment is replaced by `comment`. Mode 0755.
void packExecutable(const std::string& launcher, const std::string& jar,
                    const std::string& comment, const std::string& out);

// The lines of `text`, without their line feeds.
std::vector<std::string> splitLines(const std::string& text);

// Sends what the process writes to `fd` into the file `path` until finish()
// or destruction, which restore the descriptor.
class capturedOutput {
 public:
  capturedOutput(int fd, const std::string& path);
  ~capturedOutput();
  capturedOutput(const capturedOutput&) = delete;
  capturedOutput& operator=(const capturedOutput&) = delete;
  // Restores the descriptor and returns what was written.
  std::string finish();

 private:
  int fd;
  std::string path;
  int saved;
};

// A TCP socket on a free port of 127.0.0.1. Listening, it stands for a
// running instance whose connections wait in the backlog; not listening, it
// keeps the port taken, so that a connection there is refused.
class localSocket {
 public:
  explicit localSocket(bool listening);
  ~localSocket();
  localSocket(const localSocket&) = delete;
  localSocket& operator=(const localSocket&) = delete;

  int getPort() const { return port; }
  int descriptor() const { return fd; }
  // The messages of the connections made so far, in the order they were
  // made; each is read to its end.
  std::vector<std::string> messages();

 private:
  int fd;
  int port = 0;
};

// The names of the environment dump files now in /tmp.
std::set<std::string> environmentDumps();

#endif
