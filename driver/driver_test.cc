#include "driver/driver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/testSupport.h"
#include "util/processGlobals.h"
#include "util/strings.h"

namespace {

// Sets `debug` for the lifetime of the object.
class debugOutput {
 public:
  explicit debugOutput(int value) { debug = value; }
  ~debugOutput() { debug = 0; }
};

// Counts SIGPIPE instead of letting it end the test.
volatile sig_atomic_t brokenPipes = 0;
void countBrokenPipe(int) { brokenPipes = brokenPipes + 1; }

class brokenPipeCounter {
 public:
  brokenPipeCounter() {
    brokenPipes = 0;
    struct sigaction action = {};
    action.sa_handler = countBrokenPipe;
    sigaction(SIGPIPE, &action, &previous);
  }
  ~brokenPipeCounter() { sigaction(SIGPIPE, &previous, nullptr); }
  int count() const { return brokenPipes; }

 private:
  struct sigaction previous;
};

// A TCP socket bound to a free port of 127.0.0.1; listening only when asked.
class receivingSocket : public localSocket {
 public:
  explicit receivingSocket(bool listening) : localSocket(listening) {}
  ~receivingSocket() {
    if (reader.joinable()) reader.join();
  }

  // Accepts one connection in the background and collects its bytes until
  // the sender closes it.
  void receiveOne() {
    reader = std::thread([this] {
      struct pollfd waiting = {descriptor(), POLLIN, 0};
      if (poll(&waiting, 1, 60000) != 1) return;
      int connection = accept(descriptor(), nullptr, nullptr);
      if (connection < 0) return;
      char buffer[65536];
      ssize_t n;
      while ((n = read(connection, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        received.append(buffer, n);
      }
      accepted = true;
      close(connection);
    });
  }

  // What the connection carried; waits for its end.
  std::string message() {
    if (reader.joinable()) reader.join();
    return accepted ? received : "<no connection>";
  }

 private:
  std::thread reader;
  bool accepted = false;
  std::string received;
};

TEST(sendCommand, sendsExactlyTheTextOverOneConnection) {
  std::string large(1 << 20, 'x');
  for (size_t i = 0; i < large.size(); i++) large[i] = (char)('a' + i % 23);
  struct testCase {
    std::string text;
    int portOffset;
  };
  const testCase cases[] = {
      {"open /home/u/notes/a.txt", 0},
      {"open /tmp/caf\xc3\xa9 with  spaces\r\n", 0},
      {"", 0},
      {large, 0},
      // Only the low 16 bits of the port count.
      {"open /x", 65536},
  };
  for (const testCase& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    receivingSocket server(true);
    server.receiveOne();
    EXPECT_EQ(1, sendCommand("127.0.0.1", server.getPort() + c.portOffset,
                             c.text.c_str()));
    EXPECT_EQ(c.text, server.message());
  }
}

TEST(sendCommand, tracesTheTextUnderDebug) {
  scratchDirectory scratch;
  receivingSocket server(true);
  server.receiveOne();
  debugOutput on(1);
  capturedOutput out(1, scratch / "out");
  capturedOutput err(2, scratch / "err");
  EXPECT_EQ(1, sendCommand("127.0.0.1", server.getPort(), "open /a b"));
  EXPECT_EQ("sendCommand open /a b\n", out.finish());
  EXPECT_EQ("", err.finish());
  EXPECT_EQ("open /a b", server.message());
}

TEST(sendCommand, failsQuietlyWhenNothingListens) {
  for (int debugging : {0, 1}) {
    SCOPED_TRACE(debugging);
    scratchDirectory scratch;
    // Bound but not listening: connections to it are refused.
    receivingSocket closed(false);
    brokenPipeCounter pipes;
    int result;
    std::string out, err;
    {
      debugOutput on(debugging);
      capturedOutput capturedOut(1, scratch / "out");
      capturedOutput capturedErr(2, scratch / "err");
      result = sendCommand("127.0.0.1", closed.getPort(), "open /x");
      out = capturedOut.finish();
      err = capturedErr.finish();
    }
    EXPECT_EQ(0, result);
    EXPECT_EQ(0, pipes.count());
    EXPECT_EQ(debugging ? "sendCommand open /x\n" : "", out);
    EXPECT_EQ(debugging ? "Can't send message\n" : "", err);
  }
}

TEST(createConfigCandidate, prefersTheFileBesideThePathThenTheLinkTarget) {
  scratchDirectory scratch;
  const std::string d = scratch.path();
  for (const char* directory : {"bin", "real", "links"})
    ASSERT_EQ(0, mkdir((scratch / directory).c_str(), 0755));
  for (const char* file :
       {"bin/app", "bin/app.config", "bin/lonely", "real/tool",
        "real/tool.config", "links/both.config"})
    writeFile(scratch / file, "");
  for (const auto& link : {std::make_pair("../real/tool", "links/tool"),
                           std::make_pair("../real/tool", "links/both"),
                           std::make_pair("../bin/lonely", "links/lonely"),
                           std::make_pair("real", "linkdir")})
    ASSERT_EQ(0, symlink(link.first, (scratch / link.second).c_str()));

  struct testCase {
    std::string exePath;
    std::string expected;
  };
  const testCase cases[] = {
      {d + "/bin/app", d + "/bin/app.config"},
      {d + "/links/tool", d + "/real/tool.config"},
      {d + "/links/both", d + "/links/both.config"},
      {d + "/linkdir/tool", d + "/linkdir/tool.config"},
      {d + "/bin/lonely", d + "/bin/lonely.config"},
      {d + "/links/lonely", d + "/bin/lonely.config"},
      {d + "/absent", d + "/absent.config"},
  };
  for (const testCase& c : cases) {
    SCOPED_TRACE(c.exePath);
    ownedString candidate(createConfigCandidate(c.exePath.c_str()));
    EXPECT_EQ(c.expected, candidate.get());
  }
}

TEST(reportFailure, printsTheMessageVerbatimAndReturnsTheFailureStatus) {
  scratchDirectory scratch;
  const std::string messages[] = {"Main class not defined.", "100% %s %n", ""};
  for (const std::string& message : messages) {
    SCOPED_TRACE(message);
    capturedOutput out(1, scratch / "out");
    EXPECT_EQ(-2, reportFailure(createStringCopy(message.c_str())));
    EXPECT_EQ(message + "\n", out.finish());
  }
}

}  // namespace
