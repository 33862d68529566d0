// The benchmark program's entry point: Google Benchmark's usual main, plus
// removal of the fixture files afterwards, also when a fixture fails.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>

#include "bench/benchSupport.h"

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  int status = 0;
  try {
    benchmark::RunSpecifiedBenchmarks();
  } catch (const std::exception& e) {
    fprintf(stderr, "launcherBench: %s\n", e.what());
    status = 1;
  } catch (char* message) {
    fprintf(stderr, "launcherBench: %s\n", message);
    delete[] message;
    status = 1;
  }
  benchmark::Shutdown();
  removeScratchDirectory();
  return status;
}
