#include "vm/javaVm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/testSupport.h"
#include "util/strings.h"

namespace {

// The description on its own: the runner does nothing.
class descriptionOnly : public javaVm {
 public:
  void run() override {}
};

typedef std::vector<std::string> strings;

strings contents(const stringArray& list) {
  strings result;
  for (int i = 0; i < list.size(); i++) result.push_back(list[i]);
  return result;
}

char* copy(const std::string& s) { return createStringCopy(s.c_str()); }

std::string joined(const javaVm& vm, const stringArray& list) {
  ownedString path(vm.createPath(&list));
  return path.get();
}

}  // namespace

TEST(javaVm, startsEmpty) {
  descriptionOnly vm;
  EXPECT_EQ(0, vm.getExitCode());
  EXPECT_EQ(0, vm.getRestartCode());
  EXPECT_FALSE(vm.shouldRestart());
  EXPECT_EQ(nullptr, vm.getJavaPath());
  EXPECT_EQ(nullptr, vm.getMainClass());
  for (const stringArray* list :
       {&vm.getClassPath(), &vm.getBootPath(), &vm.getSkipPath(),
        &vm.getVmOptions(), &vm.getParamList(), &vm.getTempFiles()})
    EXPECT_EQ(0, list->size());
}

TEST(javaVm, mainClassGetsSlashesAndTheLastOneWins) {
  struct {
    const char* given;
    const char* stored;
  } cases[] = {
      {"a.b.Main", "a/b/Main"},
      {"Main", "Main"},
      {"com.x.y.App$Inner", "com/x/y/App$Inner"},
      {"already/slashed.Main", "already/slashed/Main"},
      {"", ""},
  };
  for (const auto& c : cases) {
    descriptionOnly vm;
    char* handed = copy(c.given);
    vm.setMainClass(handed);
    // Converted in place: the very string handed over is kept.
    EXPECT_EQ(handed, vm.getMainClass()) << c.given;
    EXPECT_STREQ(c.stored, vm.getMainClass()) << c.given;
  }

  // The first value is freed on replacement (the leak checker sees it).
  descriptionOnly vm;
  vm.setMainClass(copy("first.Main"));
  vm.setMainClass(copy("second.Main"));
  EXPECT_STREQ("second/Main", vm.getMainClass());
  vm.setJavaPath(copy("/one/java"));
  vm.setJavaPath(copy("/two/java"));
  EXPECT_STREQ("/two/java", vm.getJavaPath());
}

TEST(javaVm, bootEntryRefusesALaterClassPathEntryWhateverItsCase) {
  descriptionOnly vm;
  vm.addBootPath(copy("/x/app.jar"));
  vm.addPath(copy("/X/APP.JAR"));
  vm.addPath(copy("/x/other.jar"));
  EXPECT_EQ((strings{"/x/other.jar"}), contents(vm.getClassPath()));
  EXPECT_EQ((strings{"/x/app.jar"}), contents(vm.getBootPath()));
}

TEST(javaVm, bootEntryRemovesOnlyTheFirstMatchingClassPathEntry) {
  descriptionOnly vm;
  for (const char* entry : {"/a", "/b", "/a"}) vm.addPath(copy(entry));
  vm.addBootPath(copy("/A"));
  EXPECT_EQ((strings{"/b", "/a"}), contents(vm.getClassPath()));
  EXPECT_EQ((strings{"/A"}), contents(vm.getBootPath()));
  // The boot path is not searched for duplicates, nor the class path.
  vm.addBootPath(copy("/A"));
  vm.addPath(copy("/b"));
  EXPECT_EQ((strings{"/b", "/b"}), contents(vm.getClassPath()));
  EXPECT_EQ((strings{"/A", "/A"}), contents(vm.getBootPath()));
}

TEST(javaVm, skipEntryRemovesEarlierEntriesAndRefusesLaterOnes) {
  descriptionOnly vm;
  vm.addPath(copy("/a"));
  vm.addPath(copy("/keep"));
  vm.addBootPath(copy("/b"));
  vm.addBootPath(copy("/boot"));
  vm.addSkipPath(copy("/A"));
  vm.addSkipPath(copy("/B"));
  EXPECT_EQ((strings{"/keep"}), contents(vm.getClassPath()));
  EXPECT_EQ((strings{"/boot"}), contents(vm.getBootPath()));

  for (const char* entry : {"/a", "/b", "/A", "/B"}) {
    vm.addPath(copy(entry));
    vm.addBootPath(copy(entry));
  }
  EXPECT_EQ((strings{"/keep"}), contents(vm.getClassPath()));
  EXPECT_EQ((strings{"/boot"}), contents(vm.getBootPath()));

  vm.addSkipPath(copy("/a"));
  EXPECT_EQ((strings{"/A", "/B", "/a"}), contents(vm.getSkipPath()));
}

TEST(javaVm, createPathJoinsAnyListWithColons) {
  descriptionOnly vm;
  EXPECT_EQ("", joined(vm, vm.getClassPath()));
  vm.addPath(copy("/a"));
  EXPECT_EQ("/a", joined(vm, vm.getClassPath()));
  vm.addPath(copy("/b"));
  vm.addPath(copy("/c"));
  EXPECT_EQ("/a:/b:/c", joined(vm, vm.getClassPath()));
  vm.addBootPath(copy("/l/app"));
  vm.addBootPath(copy("/l/more"));
  EXPECT_EQ("/l/app:/l/more", joined(vm, vm.getBootPath()));
}

TEST(javaVm, migrateDashJMovesOnlyJDashParameters) {
  struct {
    strings params;
    strings leftParams;
    strings newOptions;
  } cases[] = {
      {{"-J-Xmx1g", "file", "-J-", "-Jx", "-J-Dp=1"},
       {"file", "-Jx"},
       {"-Xmx1g", "-", "-Dp=1"}},
      // Adjacent ones: the index is examined again after a removal.
      {{"-J-a", "-J-b", "-J-c", "x", "-J-d"}, {"x"}, {"-a", "-b", "-c", "-d"}},
      {{"-J", "", "-j-x", "J-x", "--J-x", "a -J-b"},
       {"-J", "", "-j-x", "J-x", "--J-x", "a -J-b"},
       {}},
      {{}, {}, {}},
  };
  for (const auto& c : cases) {
    descriptionOnly vm;
    vm.addVmOption(copy("-Dbefore=1"));
    for (const std::string& p : c.params) vm.addParam(copy(p));
    vm.migrateDashJ();
    EXPECT_EQ(c.leftParams, contents(vm.getParamList()));
    strings options{"-Dbefore=1"};
    options.insert(options.end(), c.newOptions.begin(), c.newOptions.end());
    EXPECT_EQ(options, contents(vm.getVmOptions()));
  }
}

TEST(javaVm, shouldRestartOnlyOnANonZeroRestartCode) {
  struct {
    int exitCode;
    int restartCode;
    bool restart;
  } cases[] = {
      {3, 3, true},  {0, 0, false},  {3, 0, false},
      {0, 3, false}, {-1, -1, true}, {255, -1, false},
  };
  for (const auto& c : cases) {
    descriptionOnly vm;
    vm.setExitCode(c.exitCode);
    vm.setRestartCode(c.restartCode);
    EXPECT_EQ(c.restart, vm.shouldRestart())
        << c.exitCode << " " << c.restartCode;
  }
}

TEST(javaVm, getParamsReturnsIndependentCopies) {
  descriptionOnly vm;
  vm.addParam(copy("one"));
  vm.addParam(copy("two words"));
  stringArray* params = vm.getParams();
  ASSERT_EQ(2, params->size());
  EXPECT_NE(vm.getParamList()[0], (*params)[0]);
  vm.clearParams();
  EXPECT_EQ(0, vm.getParamList().size());
  EXPECT_EQ((strings{"one", "two words"}), contents(*params));
  delete params;

  stringArray* none = vm.getParams();
  EXPECT_EQ(0, none->size());
  delete none;
}

TEST(javaVm, destructorDeletesEveryRegisteredTempFile) {
  scratchDirectory scratch;
  std::string twice = scratch / "twice.tmp";
  std::string once = scratch / "once.tmp";
  std::string kept = scratch / "kept.tmp";
  for (const std::string& path : {twice, once, kept}) writeFile(path, "x");
  {
    descriptionOnly vm;
    vm.addTempFile((scratch / "never-created.tmp").c_str());
    std::string path = twice;
    vm.addTempFile(path.c_str());
    vm.addTempFile(path.c_str());
    // The description keeps its own copy of the path.
    path = once;
    vm.addTempFile(path.c_str());
    path.assign(path.size(), 'z');
    EXPECT_EQ((strings{scratch / "never-created.tmp", twice, twice, once}),
              contents(vm.getTempFiles()));
    EXPECT_TRUE(fileExists(twice));
  }
  EXPECT_FALSE(fileExists(twice));
  EXPECT_FALSE(fileExists(once));
  EXPECT_TRUE(fileExists(kept));
}
