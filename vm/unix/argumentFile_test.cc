#include "vm/unix/argumentFile.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/strings.h"

namespace {

std::vector<char*> pointersTo(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// What the kernel says to executing /bin/true with `args`: 0 when it ran,
// else the errno of execv.
int execResult(const std::vector<std::string>& args) {
  std::vector<char*> argv = pointersTo(args);
  pid_t pid = fork();
  if (pid == 0) {
    execv("/bin/true", argv.data());
    _exit(errno == 0 ? 255 : errno);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// commandLineFits must agree with the kernel: what it accepts executes, and
// what it refuses would fail with E2BIG.
TEST(argumentFile, commandLineFitsAgreesWithTheKernel) {
  long limit = sysconf(_SC_ARG_MAX);
  ASSERT_GT(limit, 200000);
  struct scenario {
    const char* name;
    size_t length;  // of each argument after the program
    long count;
    bool fits;
  };
  const scenario scenarios[] = {
      {"a short command line", 10, 3, true},
      // One argument may hold 32 pages, its terminator included.
      {"one argument of 128 KiB less one byte", 32 * 4096 - 1, 1, true},
      {"one argument of 128 KiB", 32 * 4096, 1, false},
      {"arguments filling half the system's limit", 1000, limit / 2000, true},
      {"arguments beyond the system's limit", 100000, limit / 100000 + 1,
       false},
  };
  for (const scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    std::vector<std::string> args{"/bin/true"};
    for (long i = 0; i < s.count; i++)
      args.push_back(std::string(s.length, 'a'));

    EXPECT_EQ(s.fits, commandLineFits(pointersTo(args).data()));
    EXPECT_EQ(s.fits ? 0 : E2BIG, execResult(args));
  }
}

TEST(argumentFile, writesEveryArgumentButTheProgramToAPrivateFile) {
  std::vector<std::string> args = {"/j/bin/java", "-cp", "a b", "p/Main"};

  ownedString path(writeArgumentFile(pointersTo(args).data()));

  EXPECT_EQ(0u, std::string(path.get()).rfind("/tmp/tavimor-args-", 0))
      << path.get();
  struct stat status;
  ASSERT_EQ(0, stat(path.get(), &status));
  EXPECT_EQ(0600u, status.st_mode & 0777);
  EXPECT_EQ("\"-cp\"\n\"a b\"\n\"p/Main\"\n", readFile(path.get()));
  unlink(path.get());
}

}  // namespace
