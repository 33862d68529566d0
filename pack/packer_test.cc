#include "pack/packer.h"

#include <gtest/gtest.h>

#include "tests/testSupport.h"
#include "util/processGlobals.h"

namespace {

TEST(createCommandDirectives, writesOneLinePerValue) {
  EXPECT_EQ("mainclass app.Main\nvmparam -Xmx1g\nvmparam -Dname=a b\n",
            createCommandDirectives("app.Main", {"-Xmx1g", "-Dname=a b"}));
  EXPECT_EQ("vmparam -Xss2m\n", createCommandDirectives("", {"-Xss2m"}));
  EXPECT_EQ("", createCommandDirectives("", {}));
}

TEST(createCommandDirectives, refusesValuesThatWouldSplitOrVanish) {
  EXPECT_EQ("the VM option '-Da=1\nmainclass x' holds a line break",
            thrownMessage(
                [] { createCommandDirectives("", {"-Da=1\nmainclass x"}); }));
  EXPECT_EQ("the main class 'a\rb' holds a line break",
            thrownMessage([] { createCommandDirectives("a\rb", {}); }));
  EXPECT_EQ("an empty VM option was given",
            thrownMessage([] { createCommandDirectives("a", {""}); }));
}

TEST(createFileDirectives, endsTheLastLine) {
  EXPECT_EQ("vmparam -Xmx1g\n", createFileDirectives("vmparam -Xmx1g", "d"));
  EXPECT_EQ("a\r\nb\r\n", createFileDirectives("a\r\nb\r\n", "d"));
  EXPECT_EQ("", createFileDirectives("", "d"));
  EXPECT_EQ("directives file 'd.txt' holds a NUL byte", thrownMessage([] {
              createFileDirectives(std::string("a\0b\n", 4), "d.txt");
            }));
}

TEST(directiveCheck, namesTheLineThatTheReaderRefuses) {
  scratchDirectory dir;
  struct refusalCase {
    const char* label;
    std::string text;
    std::string message;
  };
  const refusalCase cases[] = {
      {"unknown keyword", "bogus value\n",
       "file, line 1: Unrecognized directive 'bogus'"},
      {"blank and comment lines count", "vmparam -Xmx1g\n\n# note\nVmparam x\n",
       "file, line 4: Unrecognized directive 'Vmparam'"},
      {"CR LF ends one line", "vmparam a\r\nvmparam b\r\nx\r\n",
       "file, line 3: Unrecognized directive 'x'"},
      {"CR alone ends a line", "vmparam a\rx\r",
       "file, line 2: Unrecognized directive 'x'"},
      {"tab does not separate the keyword", "vmparam\t-Xmx1g",
       "file, line 1: Unrecognized directive 'vmparam\t-Xmx1g'"},
      {"include resolves against the output's directory",
       "include extra.config\n",
       "file, line 1: Unable to open '" + dir / "extra.config" + "'"},
  };
  for (const refusalCase& c : cases) {
    SCOPED_TRACE(c.label);
    directiveCheck check(dir / "app");
    EXPECT_EQ(c.message, thrownMessage([&] { check.check(c.text, "file"); }));
  }
}

TEST(directiveCheck, reportsTheMainClassOfEveryCheckedText) {
  scratchDirectory dir;
  writeFile(dir / "extra.config", "mainclass from.Include\n");
  directiveCheck check(dir / "app");
  EXPECT_EQ("", check.mainClass());
  check.check("vmparam -Xmx1g\nmainclass first.Main\n", "command line");
  EXPECT_EQ("first/Main", check.mainClass());
  check.check("include extra.config\n", "file");
  EXPECT_EQ("from/Include", check.mainClass());
}

TEST(directiveCheck, removesTheFilesThatExportenvWrites) {
  int shared = HACKtempFileArray.size();
  std::string dump;
  {
    scratchDirectory dir;
    directiveCheck check(dir / "app");
    check.check("exportenv\n", "file");
    ASSERT_EQ(shared + 1, HACKtempFileArray.size());
    dump = HACKtempFileArray[shared];
    EXPECT_TRUE(fileExists(dump));
  }
  EXPECT_FALSE(fileExists(dump));
  EXPECT_EQ(shared, HACKtempFileArray.size());
}

TEST(readCarriedDirectives, readsTheCommentAsTheLauncherDoes) {
  scratchDirectory dir;
  std::string emptyArchive = "PK\x05\x06" + std::string(18, '\0');
  writeFile(dir / "packed", "image" + emptyArchive.substr(0, 20) +
                                std::string("\x0e\x00", 2) +
                                std::string("mainclass a\n\0b", 14));
  EXPECT_EQ("mainclass a\n", readCarriedDirectives((dir / "packed").c_str()));

  writeFile(dir / "bare", "image" + emptyArchive);
  EXPECT_EQ(
      "'" + dir / "bare" +
          "' carries no directives: its archive comment is empty",
      thrownMessage([&] { readCarriedDirectives((dir / "bare").c_str()); }));
  writeFile(dir / "tiny", "#!/bin/sh\n");
  EXPECT_EQ(
      "'" + dir / "tiny" +
          "' carries no directives: it is too small to hold an archive",
      thrownMessage([&] { readCarriedDirectives((dir / "tiny").c_str()); }));
  writeFile(dir / "program", std::string(100, 'x'));
  EXPECT_EQ(
      "'" + dir / "program" +
          "' carries no directives: no archive comment ends it",
      thrownMessage([&] { readCarriedDirectives((dir / "program").c_str()); }));
}

}  // namespace
