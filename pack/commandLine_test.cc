#include "pack/commandLine.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/testSupport.h"

namespace {

packCommand parse(std::vector<const char*> args) {
  args.insert(args.begin(), "launcher-pack");
  return parsePackCommand((int)args.size(), args.data());
}

TEST(parsePackCommand, readsEveryOptionInBothForms) {
  packCommand command = parse({"--output=out", "--vmparam", "-Xmx1g",
                               "--vmparam=-Da=b=c", "--mainclass", "app.Main",
                               "--launcher=L", "--directives", "d", "app.jar"});
  EXPECT_EQ(packCommand::pack, command.action);
  EXPECT_EQ("out", command.request.output);
  EXPECT_EQ((std::vector<std::string>{"-Xmx1g", "-Da=b=c"}),
            command.request.vmParams);
  EXPECT_EQ("app.Main", command.request.mainClass);
  EXPECT_EQ("L", command.request.launcher);
  EXPECT_EQ("d", command.request.directivesFile);
  EXPECT_EQ("app.jar", command.request.jar);

  command = parse({"app.jar", "-oout"});
  EXPECT_EQ("out", command.request.output);
  EXPECT_EQ("", command.request.launcher);
  EXPECT_EQ("", command.request.mainClass);

  command = parse({"-o", "out", "--", "-odd.jar"});
  EXPECT_EQ("-odd.jar", command.request.jar);
}

TEST(parsePackCommand, picksTheAction) {
  EXPECT_EQ(packCommand::help, parse({"-o", "out", "--help"}).action);
  EXPECT_EQ(packCommand::help, parse({"-h"}).action);
  EXPECT_EQ(packCommand::version, parse({"--version", "--bogus"}).action);
  packCommand show = parse({"--show", "app"});
  EXPECT_EQ(packCommand::show, show.action);
  EXPECT_EQ("app", show.showFile);
}

TEST(parsePackCommand, refusesWhatItCannotCarryOut) {
  struct errorCase {
    std::vector<const char*> args;
    const char* message;
  };
  const errorCase cases[] = {
      {{"-o", "out", "--bogus", "a.jar"},
       "unknown option '--bogus' (see launcher-pack --help)"},
      {{"-x"}, "unknown option '-x' (see launcher-pack --help)"},
      {{"a.jar", "-o"}, "option '-o' needs a value"},
      {{"-o", "out", "--vmparam="},
       "option '--vmparam' needs a non-empty value"},
      {{"a.jar"}, "no output given: use -o OUT"},
      {{"-o", "out"}, "no JAR given"},
      {{"-o", "out", "a.jar", "b.jar"},
       "more than one JAR given: 'a.jar' and 'b.jar'"},
      {{"--show", "f", "-o", "out"},
       "--show takes no other options and no JAR"},
      {{"--show", "f", "a.jar"}, "--show takes no other options and no JAR"},
  };
  for (const errorCase& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(c.message, thrownMessage([&] { parse(c.args); }));
  }
}

}  // namespace
