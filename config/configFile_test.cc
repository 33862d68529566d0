#include "config/configFile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/processGlobals.h"
#include "util/strings.h"
#include "vm/javaVm.h"

extern char** environ;

using namespace std::string_literals;

namespace {

// A launch description that only records what the directives do.
class recordingVm : public javaVm {
 public:
  void run() override {}
};

std::vector<std::string> entries(const stringArray& list) {
  std::vector<std::string> result;
  for (int i = 0; i < list.size(); i++) result.push_back(list[i]);
  return result;
}

std::set<std::string> entrySet(const stringArray& list) {
  std::vector<std::string> all = entries(list);
  return std::set<std::string>(all.begin(), all.end());
}

std::string listText(const stringArray& list) {
  std::string text = "[";
  for (int i = 0; i < list.size(); i++) {
    if (i > 0) text += ", ";
    text += list[i];
  }
  return text + "]";
}

// Everything the launch description holds that differs from a fresh one,
// with `directory` written as "$D" so that expectations stay readable.
std::string describe(const javaVm& vm, const std::string& directory) {
  std::string text;
  auto add = [&](const std::string& field) {
    if (!text.empty()) text += " ";
    text += field;
  };
  if (vm.getJavaPath()) add("java=" + std::string(vm.getJavaPath()));
  if (vm.getMainClass()) add("main=" + std::string(vm.getMainClass()));
  if (vm.getClassPath().size()) add("cp=" + listText(vm.getClassPath()));
  if (vm.getBootPath().size()) add("boot=" + listText(vm.getBootPath()));
  if (vm.getSkipPath().size()) add("skip=" + listText(vm.getSkipPath()));
  if (vm.getVmOptions().size()) add("opt=" + listText(vm.getVmOptions()));
  if (vm.getParamList().size()) add("param=" + listText(vm.getParamList()));
  if (vm.getRestartCode())
    add("restart=" + std::to_string(vm.getRestartCode()));
  if (vm.getSocketPort()) add("socket=" + std::to_string(vm.getSocketPort()));
  for (size_t at = text.find(directory); at != std::string::npos;
       at = text.find(directory, at + 2))
    text.replace(at, directory.size(), "$D");
  return text;
}

// An owned, writable copy of `text`, NUL bytes inside it included.
char* ownedText(const std::string& text) {
  char* buffer = new char[text.size() + 1];
  memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = 0;
  return buffer;
}

void parseFile(javaVm* vm, const std::string& path) {
  configFile config(createStringCopy(path.c_str()), vm);
  config.parse();
}

void parseText(javaVm* vm, const std::string& name, const std::string& text) {
  configFile config(createStringCopy(name.c_str()), vm, ownedText(text));
  config.parse();
}

// Restores the process environment, as it was when constructed, on
// destruction.
class savedEnvironment {
 public:
  savedEnvironment() {
    for (char** entry = environ; entry && *entry; entry++)
      saved.push_back(*entry);
  }
  ~savedEnvironment() {
    clearenv();
    for (const std::string& entry : saved) {
      size_t equals = entry.find('=');
      if (equals == std::string::npos) continue;
      setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
    }
  }

 private:
  std::vector<std::string> saved;
};

class configReader : public ::testing::Test {
 protected:
  scratchDirectory scratch;
  recordingVm vm;
  std::string dir() const { return scratch.path(); }
  std::string state() const { return describe(vm, dir()); }
  void mkdir(const std::string& name) {
    ASSERT_EQ(0, ::mkdir((scratch / name).c_str(), 0755)) << name;
  }
  void symlink(const std::string& target, const std::string& name) {
    ASSERT_EQ(0, ::symlink(target.c_str(), (scratch / name).c_str())) << name;
  }
};

TEST_F(configReader, splitsLinesOnAnyRunOfBreaksAndTrimsBlanks) {
  struct testCase {
    std::string text;
    std::string expected;
  };
  const testCase cases[] = {
      {"", ""},
      {"\n\r\n\r", ""},
      {"vmparam -Xa", "opt=[-Xa]"},
      {"vmparam -Xa\nvmparam -Xb\n", "opt=[-Xa, -Xb]"},
      {"vmparam -Xa\rvmparam -Xb\r", "opt=[-Xa, -Xb]"},
      {"vmparam -Xa\r\nvmparam -Xb\r\n", "opt=[-Xa, -Xb]"},
      {"\r\n\n\rvmparam -Xa\n\n\r\r\n\r\nvmparam -Xb", "opt=[-Xa, -Xb]"},
      {" \t vmparam -Xa \t \n \t \n\nmainclass a.B", "main=a/B opt=[-Xa]"},
      {"# vmparam -Xhidden\n  \t# indented\nvmparam -Xa\n#", "opt=[-Xa]"},
      {"vmparam -Xa # note", "opt=[-Xa # note]"},
      {"vmparam \t  -Da=b \t c  ", "opt=[-Da=b \t c]"},
      // One empty option: an empty list is not shown at all.
      {"vmparam   \n", "opt=[]"},
      {"vmparam -Xa\n\0vmparam -Xb\n"s, "opt=[-Xa]"},
      {"vmparam -Xa\0bc\nvmparam -Xb"s, "opt=[-Xa]"},
      {"\0vmparam -Xa"s, ""},
  };
  for (const testCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    recordingVm fresh;
    parseText(&fresh, scratch / "app", c.text);
    EXPECT_EQ(c.expected, describe(fresh, dir()));
  }
}

TEST_F(configReader, refusesUnknownKeywordsNamingThem) {
  struct testCase {
    std::string line;
    std::string keyword;
  };
  const testCase cases[] = {
      // Only a space separates the keyword: the tab stays in it.
      {"vmparam\t-Xa", "vmparam\t-Xa"}, {"Include other.config", "Include"},
      {"VMPARAM -Xa", "VMPARAM"},       {"vmParam", "vmParam"},
      {"bogus words follow", "bogus"},  {"vmparam: -Xa", "vmparam:"},
  };
  for (const testCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.line));
    recordingVm fresh;
    EXPECT_EQ("Unrecognized directive '" + c.keyword + "'", thrownMessage([&] {
                parseText(&fresh, scratch / "app", c.line);
              }));
    EXPECT_EQ("", describe(fresh, dir()));
  }
}

TEST_F(configReader, stopsAtTheFirstFailureKeepingEarlierDirectives) {
  EXPECT_EQ("Unrecognized directive 'bogus'", thrownMessage([&] {
              parseText(&vm, scratch / "app",
                        "vmparam -Xa\nbogus\nvmparam -Xb\n");
            }));
  EXPECT_EQ("opt=[-Xa]", state());
}

TEST_F(configReader, reportsAVeryLongKeywordWithoutOverflow) {
  std::string keyword(9000, 'k');
  keyword[0] = 'x';
  keyword[8999] = 'z';
  std::string message = thrownMessage(
      [&] { parseText(&vm, scratch / "app", keyword + " argument\n"); });
  EXPECT_EQ(0u, message.rfind("Unrecognized directive '", 0)) << message;
  EXPECT_NE(std::string::npos, message.find(keyword));
}

TEST_F(configReader, carriesOutEachDirective) {
  struct testCase {
    std::string text;
    std::string expected;
  };
  const testCase cases[] = {
      {"addpath lib/a.jar", "cp=[$D/lib/a.jar]"},
      {"addpath", "cp=[$D]"},
      {"addpath \t lib", "cp=[$D/lib]"},
      {"addpath lib/../x", "cp=[$D/x]"},
      {"addpath ./a/./b/", "cp=[$D/a/b]"},
      {"addpath ../up.jar",
       "cp=[" + dir().substr(0, dir().rfind('/')) + "/up.jar]"},
      {"addpath /opt/./a/../b", "cp=[/opt/./a/../b]"},
      {"addpath missing/nothing.jar", "cp=[$D/missing/nothing.jar]"},
      {"addbootpath boot/b.jar", "boot=[$D/boot/b.jar]"},
      {"addbootpath /abs//b.jar", "boot=[/abs//b.jar]"},
      {"addskippath s.jar", "skip=[$D/s.jar]"},
      {"vmparam -Xmx1g", "opt=[-Xmx1g]"},
      {"vmparam -Dpath=rel/x", "opt=[-Dpath=rel/x]"},
      {"mainclass com.x.Main", "main=com/x/Main"},
      {"mainclass a\nmainclass b.C", "main=b/C"},
      {"javapath bin/java", "java=$D/bin/java"},
      {"javapath /usr/bin/../bin/java", "java=/usr/bin/../bin/java"},
      {"addparam a b  c", "param=[a b  c]"},
      {"addparam x\nclearparams and ignored words\naddparam y", "param=[y]"},
      {"restartcode 3", "restart=3"},
      {"restartcode -7", "restart=-7"},
      {"restartcode +12x", "restart=12"},
      {"restartcode 42 7", "restart=42"},
      {"restartcode 5\nrestartcode abc", ""},
      {"restartcode 5\nrestartcode", ""},
      {"socket 5000", "opt=[-Dtavimor.socket=5000] socket=5000"},
      {"socket 70x", "opt=[-Dtavimor.socket=70x] socket=70"},
      {"socket \t 8080  later words",
       "opt=[-Dtavimor.socket=8080  later words] "
       "socket=8080"},
      {"socket -1", "opt=[-Dtavimor.socket=-1] socket=-1"},
      {"socket 5\nsocket port",
       "opt=[-Dtavimor.socket=5, -Dtavimor.socket=port]"},
  };
  writeFile(scratch / "app", "image");
  for (const testCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    recordingVm fresh;
    writeFile(scratch / "app.config", c.text);
    parseFile(&fresh, scratch / "app.config");
    EXPECT_EQ(c.expected, describe(fresh, dir()));
  }
}

TEST_F(configReader, socketWithoutArgumentAddsAnEmptyProperty) {
  recordingVm fresh;
  fresh.setSocketPort(9);
  parseText(&fresh, scratch / "app", "socket");
  EXPECT_EQ(0, fresh.getSocketPort());
  EXPECT_EQ(entries(fresh.getVmOptions()),
            std::vector<std::string>{"-Dtavimor.socket="});
}

TEST_F(configReader, clearparamsAlsoRemovesCommandLineParameters) {
  vm.addParam(createStringCopy("from-command-line"));
  parseText(&vm, scratch / "app", "addparam a\nclearparams\naddparam b");
  EXPECT_EQ("param=[b]", state());
}

TEST_F(configReader, addjarsTakesOnlyJarEntries) {
  mkdir("lib");
  for (const char* name :
       {"a.jar", "c.jar", "B.JAR", "a.jar.txt", "xjar", "jar", "notes.txt"})
    writeFile(scratch / "lib/" + name, "");
  std::set<std::string> expected = {dir() + "/lib/a.jar", dir() + "/lib/c.jar"};

  recordingVm classPath;
  parseText(&classPath, scratch / "app", "addjars lib");
  EXPECT_EQ(expected, entrySet(classPath.getClassPath()));
  EXPECT_EQ(2, classPath.getClassPath().size());
  EXPECT_EQ(0, classPath.getBootPath().size());

  recordingVm bootPath;
  parseText(&bootPath, scratch / "app", "addbootjars " + dir() + "/lib");
  EXPECT_EQ(expected, entrySet(bootPath.getBootPath()));
  EXPECT_EQ(2, bootPath.getBootPath().size());
  EXPECT_EQ(0, bootPath.getClassPath().size());
}

TEST_F(configReader, directoryDirectivesIgnoreMissingDirectories) {
  writeFile(scratch / "plain", "");
  parseText(&vm, scratch / "app",
            "addjars nowhere\naddbootjars /nonexistent/dir\n"
            "includedir absent.d\nincludedir plain\nvmparam -Xafter");
  EXPECT_EQ("opt=[-Xafter]", state());
}

TEST_F(configReader, resolvesAgainstTheCanonicalDirectoryOfTheSource) {
  mkdir("real");
  mkdir("real/conf");
  writeFile(scratch / "real/conf/app.config", "addpath lib/x.jar\n");
  symlink("real/conf", "linkdir");
  symlink("real/conf/app.config", "linked.config");

  for (const std::string& name :
       {scratch / "linkdir/app.config", scratch / "linked.config",
        scratch / "real/./conf/../conf/app.config"}) {
    SCOPED_TRACE(name);
    recordingVm fresh;
    configFile config(createStringCopy(name.c_str()), &fresh);
    EXPECT_STREQ(name.c_str(), config.getName());
    EXPECT_EQ(dir() + "/real/conf", config.getDirectory());
    config.parse();
    EXPECT_EQ("cp=[$D/real/conf/lib/x.jar]", describe(fresh, dir()));
  }
}

TEST_F(configReader, includedFileResolvesAgainstItsOwnDirectory) {
  mkdir("sub");
  mkdir("other");
  writeFile(scratch / "main.config",
            "addpath first.jar\ninclude sub/inner.config\naddpath last.jar\n");
  writeFile(scratch / "sub/inner.config",
            "addpath inner.jar\ninclude ../other/deep.config\n"
            "addbootpath inner-boot.jar");
  writeFile(scratch / "other/deep.config", "addpath deep.jar");
  parseFile(&vm, scratch / "main.config");
  EXPECT_EQ(
      "cp=[$D/first.jar, $D/sub/inner.jar, $D/other/deep.jar, $D/last.jar] "
      "boot=[$D/sub/inner-boot.jar]",
      state());
}

TEST_F(configReader, sameFileMayBeIncludedMoreThanOnce) {
  writeFile(scratch / "part.config", "addparam part");
  writeFile(scratch / "main.config",
            "include part.config\ninclude ./part.config\n"
            "include " +
                dir() + "/part.config");
  parseFile(&vm, scratch / "main.config");
  EXPECT_EQ("param=[part, part, part]", state());
}

TEST_F(configReader, includeOfAMissingFileNamesTheResolvedPath) {
  mkdir("sub");
  writeFile(scratch / "sub/main.config",
            "vmparam -Xbefore\ninclude ../conf/./missing.config\n"
            "vmparam -Xafter");
  EXPECT_EQ(
      "Unable to open '" + dir() + "/conf/missing.config'",
      thrownMessage([&] { parseFile(&vm, scratch / "sub/main.config"); }));
  EXPECT_EQ("opt=[-Xbefore]", state());
}

TEST_F(configReader, missingTopLevelFileIsReportedByTheConstructor) {
  std::string path = scratch / "absent.config";
  EXPECT_EQ("Unable to open '" + path + "'", thrownMessage([&] {
              configFile config(createStringCopy(path.c_str()), &vm);
            }));
}

TEST_F(configReader, failureInsideNestedSourcesPropagates) {
  mkdir("conf.d");
  writeFile(scratch / "conf.d/a.config", "include ../inner.config\n");
  writeFile(scratch / "inner.config", "vmparam -Xinner\nnonsense here\n");
  writeFile(scratch / "main.config", "includedir conf.d\nvmparam -Xlast\n");
  EXPECT_EQ("Unrecognized directive 'nonsense'",
            thrownMessage([&] { parseFile(&vm, scratch / "main.config"); }));
  EXPECT_EQ("opt=[-Xinner]", state());
}

TEST_F(configReader, includedirReadsEveryConfigEntryInPlace) {
  mkdir("conf.d");
  writeFile(scratch / "conf.d/b.config", "vmparam b");
  writeFile(scratch / "conf.d/a.config", "vmparam a\naddpath a.jar");
  writeFile(scratch / "conf.d/a.cfg", "vmparam cfg");
  writeFile(scratch / "conf.d/.config", "vmparam dot");
  writeFile(scratch / "conf.d/x.CONFIG", "vmparam upper");
  writeFile(scratch / "main.config",
            "vmparam before\nincludedir conf.d\nvmparam after\n");
  parseFile(&vm, scratch / "main.config");

  std::vector<std::string> options = entries(vm.getVmOptions());
  ASSERT_EQ(5u, options.size()) << listText(vm.getVmOptions());
  EXPECT_EQ("before", options.front());
  EXPECT_EQ("after", options.back());
  // The listing order of a Unix directory is its own.
  EXPECT_EQ((std::set<std::string>{"a", "b", "dot"}),
            std::set<std::string>(options.begin() + 1, options.end() - 1));
  // Relative paths in an entry resolve against the entry's directory.
  EXPECT_EQ(entries(vm.getClassPath()),
            std::vector<std::string>{dir() + "/conf.d/a.jar"});
}

TEST_F(configReader, refusesSourcesThatIncludeThemselves) {
  struct testCase {
    std::string description;
    std::vector<std::pair<std::string, std::string>> files;
    std::string top;
    std::string repeated;
    std::vector<std::string> applied;  // the options added before the refusal
  };
  const testCase cases[] = {
      {"self",
       {{"a.config", "vmparam a\ninclude a.config"}},
       "a.config",
       "a.config",
       {"a"}},
      {"through another",
       {{"a.config", "vmparam a\ninclude sub/b.config"},
        {"sub/b.config", "vmparam b\ninclude ../a.config"}},
       "a.config",
       "a.config",
       {"a", "b"}},
      // Another spelling of the same file is still the same file.
      {"through a link",
       {{"a.config", "vmparam a\ninclude link/a.config"}},
       "a.config",
       "link/a.config",
       {"a"}},
      {"includedir of its own directory",
       {{"sub/x.config", "vmparam x\nincludedir ."}},
       "sub/x.config",
       "sub/x.config",
       {"x"}},
      {"includedir reaching back up",
       {{"a.config", "vmparam a\nincludedir sub"},
        {"sub/y.config", "vmparam y\ninclude ../a.config"}},
       "a.config",
       "a.config",
       {"a", "y"}},
  };
  for (const testCase& c : cases) {
    SCOPED_TRACE(c.description);
    scratchDirectory local;
    ASSERT_EQ(0, ::mkdir((local / "sub").c_str(), 0755));
    ASSERT_EQ(0, ::symlink(".", (local / "link").c_str()));
    for (const auto& file : c.files) writeFile(local / file.first, file.second);
    recordingVm fresh;
    EXPECT_EQ("Configuration '" + (local / c.repeated) + "' includes itself.",
              thrownMessage([&] { parseFile(&fresh, local / c.top); }));
    EXPECT_EQ(c.applied, entries(fresh.getVmOptions()));

    // The refusal leaves nothing behind: once the cycle is gone the same
    // files parse.
    for (const auto& file : c.files)
      writeFile(local / file.first, "vmparam fixed");
    recordingVm again;
    parseFile(&again, local / c.top);
    EXPECT_EQ(entries(again.getVmOptions()), std::vector<std::string>{"fixed"});
  }
}

TEST_F(configReader, handedInTextResolvesAgainstTheExecutablesDirectory) {
  mkdir("bin");
  mkdir("elsewhere");
  writeFile(scratch / "bin/app", "image");
  symlink("../bin/app", "elsewhere/app-link");
  for (const std::string& name :
       {scratch / "bin/app", scratch / "elsewhere/app-link"}) {
    SCOPED_TRACE(name);
    recordingVm fresh;
    configFile config(createStringCopy(name.c_str()), &fresh,
                      ownedText("addpath lib/x.jar\nmainclass m.Main\n"));
    EXPECT_STREQ(name.c_str(), config.getName());
    EXPECT_EQ(dir() + "/bin", config.getDirectory());
    config.parse();
    EXPECT_EQ("main=m/Main cp=[$D/bin/lib/x.jar]", describe(fresh, dir()));
  }
}

TEST_F(configReader, copyenvPassesTheValueUnescaped) {
  savedEnvironment restore;
  setenv("CFGTEST_SET", "/home/ann=x\\y\nz", 1);
  setenv("CFGTEST_EMPTY", "", 1);
  unsetenv("CFGTEST_UNSET");
  parseText(&vm, scratch / "app",
            "copyenv CFGTEST_SET\ncopyenv CFGTEST_UNSET\ncopyenv\n"
            "copyenv CFGTEST_EMPTY\n");
  EXPECT_EQ(entries(vm.getVmOptions()),
            (std::vector<std::string>{
                "-Dtavimor.copyenv.CFGTEST_SET=/home/ann=x\\y\nz",
                "-Dtavimor.copyenv.CFGTEST_EMPTY="}));
}

class exportedEnvironment : public configReader {
 protected:
  // Parses `text` with exactly the variables `variables` (name, value) set
  // and returns the dump files that it named, checking how each was
  // registered.
  std::vector<std::string> exportWith(
      const std::vector<std::pair<std::string, std::string>>& variables,
      const std::string& text) {
    int before = HACKtempFileArray.size();
    {
      savedEnvironment restore;
      clearenv();
      for (const auto& variable : variables)
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
      try {
        parseText(&vm, scratch / "app", text);
      } catch (char* message) {
        ADD_FAILURE() << message;
        delete[] message;
      }
    }
    std::vector<std::string> dumps;
    const std::string option = "-Dtavimor.exportenv=";
    for (const std::string& entry : entries(vm.getVmOptions()))
      if (entry.rfind(option, 0) == 0)
        dumps.push_back(entry.substr(option.size()));
    EXPECT_EQ(dumps, entries(vm.getTempFiles()));
    std::vector<std::string> registered;
    for (int i = before; i < HACKtempFileArray.size(); i++)
      registered.push_back(HACKtempFileArray[i]);
    EXPECT_EQ(dumps, registered);
    created.insert(created.end(), dumps.begin(), dumps.end());
    return dumps;
  }
  ~exportedEnvironment() override {
    for (const std::string& path : created) unlink(path.c_str());
  }
  std::vector<std::string> created;
};

TEST_F(exportedEnvironment, writesEscapedRecordsInEnvironmentOrder) {
  std::vector<std::string> dumps =
      exportWith({{"A", "1"}, {"B", "x\\y"}}, "exportenv");
  ASSERT_EQ(1u, dumps.size());
  EXPECT_EQ("A=1\nB=x\\\\y\n", readFile(dumps[0]));
  const std::string prefix = "/tmp/tavimor-envdump-";
  EXPECT_EQ(0u, dumps[0].rfind(prefix, 0)) << dumps[0];
  EXPECT_EQ(prefix.size() + 6, dumps[0].size()) << dumps[0];
}

TEST_F(exportedEnvironment, escapesControlAndHighBytes) {
  std::vector<std::string> dumps =
      exportWith({{"N\xe9", "a=b"},
                  {"C", "l1\nl2\t\x01\x1f\x7f\x80\xe9\xff~ \\"},
                  {"E", ""}},
                 "exportenv");
  ASSERT_EQ(1u, dumps.size());
  EXPECT_EQ(
      "N\\u00e9=a=b\n"
      "C=l1\\u000al2\\u0009\\u0001\\u001f\x7f\\u0080\\u00e9\\u00ff~ \\\\\n"
      "E=\n",
      readFile(dumps[0]));
}

TEST_F(exportedEnvironment, emptyEnvironmentGivesAnEmptyFile) {
  std::vector<std::string> dumps = exportWith({}, "exportenv");
  ASSERT_EQ(1u, dumps.size());
  EXPECT_TRUE(fileExists(dumps[0]));
  EXPECT_EQ("", readFile(dumps[0]));
}

TEST_F(exportedEnvironment, everyDirectiveWritesAFreshFile) {
  std::vector<std::string> dumps =
      exportWith({{"ONLY", "v"}},
                 "exportenv\nvmparam -Xmiddle\nexportenv with ignored words");
  ASSERT_EQ(2u, dumps.size());
  EXPECT_NE(dumps[0], dumps[1]);
  for (const std::string& dump : dumps) EXPECT_EQ("ONLY=v\n", readFile(dump));
  EXPECT_EQ(
      entries(vm.getVmOptions()),
      (std::vector<std::string>{"-Dtavimor.exportenv=" + dumps[0], "-Xmiddle",
                                "-Dtavimor.exportenv=" + dumps[1]}));
}

}  // namespace
