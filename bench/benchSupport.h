// Shared by the microbenchmarks: a scratch directory that is removed when
// the benchmark program ends, fixture files in it, and a launch description
// that runs nothing.
#ifndef LAUNCHER_BENCH_BENCHSUPPORT_H
#define LAUNCHER_BENCH_BENCHSUPPORT_H

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "vm/javaVm.h"

// The benchmarks' own directory under $TMPDIR (or /tmp), made on first use.
const std::string& scratchDirectory();

// Creates `path` holding `content`; throws std::runtime_error on failure.
void writeFile(const std::string& path, const std::string& content);

// Removes the scratch directory and everything in it.
void removeScratchDirectory();

// Keeps a result from being optimized away. Google Benchmark's overload for
// modifiable values lets GCC rewrite the value itself; this one only reads.
template <class T>
void keepResult(const T& value) {
  benchmark::DoNotOptimize(value);
}

// A launch description whose run does nothing, so that directives can be
// carried out on it and measured.
class idleVm : public javaVm {
 public:
  void run() override {}
};

#endif
