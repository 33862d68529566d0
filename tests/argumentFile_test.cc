// The argument file that carries an over-long command line to Java 9 and
// later, read by the real `java`: every argument must reach the program
// exactly as it would from the command line itself.
#include "vm/unix/argumentFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/strings.h"
#include "vm/javaRuntimeVersion.h"

namespace {

TEST(argumentFile, javaReadsEveryArgumentAsOnItsCommandLine) {
  if (getProgramRuntimeVersion(JAVA_PROGRAM) < 9)
    GTEST_SKIP() << JAVA_PROGRAM << " reads no argument files";
  const std::vector<std::string> arguments = {
      "plain",
      "",
      "two words",
      "  blanks around  ",
      "tab\there",
      "line\nfeed",
      "carriage\rreturn",
      "form\ffeed",
      "double\"quote",
      "\"quoted\"",
      "single'quote",
      "back\\slash",
      "trailing backslash\\",
      "\\\\server\\share\\",
      "\\\"",
      "# not a comment",
      "@not-a-file",
      "-J-Xmx1g",
      "$HOME * ~",
      "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac",
      "\x01\x1f\x7f",
  };
  std::vector<std::string> command = {JAVA_PROGRAM, "-cp",
                                      FIXTURE_DIR "/hardeningApp.jar",
                                      "hardening.PrintArgs"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (const std::string& arg : command)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ownedString file(writeArgumentFile(argv.data()));
  runOptions options;
  options.environment = {"LC_ALL=C.UTF-8"};

  runResult viaFile =
      runProgram({JAVA_PROGRAM, "@" + std::string(file.get())}, options);
  unlink(file.get());
  runResult direct = runProgram(command, options);

  ASSERT_EQ(0, direct.status) << direct.err;
  EXPECT_EQ(0, viaFile.status) << viaFile.err;
  EXPECT_EQ("count " + std::to_string(arguments.size()) + "\n",
            direct.out.substr(0, direct.out.find('\n') + 1));
  EXPECT_EQ(direct.out, viaFile.out);
}

}  // namespace
