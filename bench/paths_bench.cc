// Joining long paths: the class path string built from many entries, and
// absolute paths made from long relative ones and from deep base
// directories.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include "bench/benchSupport.h"
#include "util/pathServices.h"
#include "util/stringArray.h"
#include "util/strings.h"

namespace {

void BM_createPath(benchmark::State& state) {
  int count = (int)state.range(0);
  idleVm vm;
  stringArray entries;
  char entry[64];
  for (int i = 0; i < count; i++) {
    snprintf(entry, sizeof entry, "/opt/application/lib/library-%05d.jar", i);
    entries.append(createStringCopy(entry));
  }
  for (auto _ : state) {
    char* joined = vm.createPath(&entries);
    keepResult(joined);
    delete[] joined;
  }
  state.SetComplexityN(count);
  state.SetItemsProcessed(state.iterations() * count);
}

// A relative path of `components` parts, with the "." and ".." that
// generated configurations carry.
std::string relativePath(int components) {
  std::string path;
  for (int i = 0; i < components; i++) {
    if (i) path += '/';
    switch (i % 8) {
      case 3: path += '.'; break;
      case 6: path += ".."; break;
      default: path += "segment" + std::to_string(i); break;
    }
  }
  return path;
}

void BM_createAbsolutePathLongPath(benchmark::State& state) {
  int components = (int)state.range(0);
  std::string path = relativePath(components);
  const char* base = scratchDirectory().c_str();
  for (auto _ : state) {
    char* absolute = createAbsolutePath(base, path.c_str());
    keepResult(absolute);
    delete[] absolute;
  }
  state.SetComplexityN(components);
}

// A real directory `depth` levels below the scratch directory, reached
// through a link at every eighth level, made once.
const std::string& deepDirectory(int depth) {
  static std::map<int, std::string> made;
  std::string& path = made[depth];
  if (!path.empty()) return path;
  std::string directory = scratchDirectory() + "/deep" + std::to_string(depth);
  if (mkdir(directory.c_str(), 0755) != 0)
    throw std::runtime_error("cannot create " + directory);
  for (int i = 0; i < depth; i++) {
    std::string next = directory + "/level" + std::to_string(i);
    if (mkdir(next.c_str(), 0755) != 0)
      throw std::runtime_error("cannot create " + next);
    directory = next;
  }
  path = directory;
  return path;
}

void BM_createAbsolutePathDeepBase(benchmark::State& state) {
  int depth = (int)state.range(0);
  std::string base = deepDirectory(depth);
  for (auto _ : state) {
    char* absolute = createAbsolutePath(base.c_str(), "lib/app.jar");
    keepResult(absolute);
    delete[] absolute;
  }
  state.SetComplexityN(depth);
}

}  // namespace

BENCHMARK(BM_createPath)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_createAbsolutePathLongPath)
    ->Arg(16)
    ->Arg(256)
    ->Arg(4096)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_createAbsolutePathDeepBase)
    ->Arg(4)
    ->Arg(32)
    ->Arg(256)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
