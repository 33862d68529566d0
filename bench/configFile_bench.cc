// The configuration reader on large inputs: a long configuration text, and
// "addjars" over directories of many archives.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include "bench/benchSupport.h"
#include "config/configFile.h"
#include "util/strings.h"

namespace {

// A configuration of `lines` lines in the mix a real one has: options,
// class and boot path entries, parameters, comments, blank lines, CR LF
// ends and blanks around directives.
std::string configurationText(int lines) {
  std::string text;
  char line[128];
  for (int i = 0; i < lines; i++) {
    switch (i % 10) {
      case 0: snprintf(line, sizeof line, "# section %d\n", i); break;
      case 1: snprintf(line, sizeof line, "vmparam -Dbench.p%d=v\n", i); break;
      case 2: snprintf(line, sizeof line, "addpath lib/l%d.jar\n", i); break;
      case 3: snprintf(line, sizeof line, "addparam --option%d\n", i); break;
      case 4: snprintf(line, sizeof line, "\n"); break;
      case 5: snprintf(line, sizeof line, " \tvmparam -Xss%dk \r\n", i); break;
      case 6: snprintf(line, sizeof line, "addbootpath b/%d.jar\n", i); break;
      case 7: snprintf(line, sizeof line, "mainclass app.Main%d\n", i); break;
      case 8: snprintf(line, sizeof line, "copyenv BENCH_UNSET_%d\n", i); break;
      default: snprintf(line, sizeof line, "restartcode %d\n", i); break;
    }
    text += line;
  }
  return text;
}

// The source's name must exist: its directory is its canonical parent.
const std::string& sourceName() {
  static std::string name;
  if (name.empty()) {
    name = scratchDirectory() + "/bench.config";
    writeFile(name, "");
  }
  return name;
}

void BM_configFileParse(benchmark::State& state) {
  std::string text = configurationText((int)state.range(0));
  for (auto _ : state) {
    idleVm vm;
    configFile source(createStringCopy(sourceName().c_str()), &vm,
                      createStringCopy(text.c_str()));
    source.parse();
    keepResult(vm.getClassPath().size());
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A directory holding `count` empty archives, made once.
const std::string& jarDirectory(int count) {
  static std::map<int, std::string> made;
  std::string& path = made[count];
  if (!path.empty()) return path;
  std::string directory = scratchDirectory() + "/jars" + std::to_string(count);
  if (mkdir(directory.c_str(), 0755) != 0)
    throw std::runtime_error("cannot create " + directory);
  char name[32];
  for (int i = 0; i < count; i++) {
    snprintf(name, sizeof name, "/library-%05d.jar", i);
    writeFile(directory + name, "");
  }
  path = directory;
  return path;
}

void BM_addJars(benchmark::State& state) {
  int count = (int)state.range(0);
  std::string text = "addjars " + jarDirectory(count) + "\n";
  for (auto _ : state) {
    idleVm vm;
    configFile source(createStringCopy(sourceName().c_str()), &vm,
                      createStringCopy(text.c_str()));
    source.parse();
    if (vm.getClassPath().size() != count)
      state.SkipWithError("not every archive was added");
  }
  state.SetComplexityN(count);
  state.SetItemsProcessed(state.iterations() * count);
}

}  // namespace

BENCHMARK(BM_configFileParse)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_addJars)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
