// The archive comment search on large files. A shipped launcher carries its
// archive at the end, so the search should cost the same whatever the size;
// a file without an archive is read whole, from the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

#include "bench/benchSupport.h"
#include "driver/zipComment.h"

namespace {

const char kComment[] = "vmparam -Xmx1024m\nmainclass Main\n";

// A sparse file of `size` bytes; with `archive`, its last bytes are an empty
// archive's end record whose comment is kComment.
std::string sparseFile(int64_t size, bool archive) {
  static std::map<std::pair<int64_t, bool>, std::string> made;
  std::string& path = made[{size, archive}];
  if (!path.empty()) return path;
  std::string name = scratchDirectory() + "/image-" + std::to_string(size) +
                     (archive ? "-archive" : "-plain");
  int fd = open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ftruncate(fd, size) != 0)
    throw std::runtime_error("cannot create " + name);
  if (archive) {
    std::string record("PK\x05\x06", 4);
    record.append(16, '\0');
    size_t length = sizeof kComment - 1;
    record += (char)(length & 0xff);
    record += (char)(length >> 8);
    record += kComment;
    if (pwrite(fd, record.data(), record.size(), size - record.size()) !=
        (ssize_t)record.size())
      throw std::runtime_error("cannot write " + name);
  }
  close(fd);
  path = name;
  return path;
}

void zipCommentSearch(benchmark::State& state, bool archive) {
  int64_t size = state.range(0);
  std::string path = sparseFile(size, archive);
  for (auto _ : state) {
    char* comment = getZipComment(path.c_str());
    if ((comment != nullptr) != archive)
      state.SkipWithError("unexpected search result");
    keepResult(comment);
    delete[] comment;
  }
  state.SetComplexityN(size);
  state.SetBytesProcessed(state.iterations() * (archive ? 65536 : size));
}

void BM_zipCommentWithArchive(benchmark::State& state) {
  zipCommentSearch(state, true);
}
void BM_zipCommentWithoutArchive(benchmark::State& state) {
  zipCommentSearch(state, false);
}

const int64_t kSizes[] = {int64_t(64) << 10, int64_t(16) << 20,
                          int64_t(1) << 30};

void sizes(benchmark::internal::Benchmark* b) {
  for (int64_t size : kSizes) b->Arg(size);
}

}  // namespace

BENCHMARK(BM_zipCommentWithArchive)
    ->Apply(sizes)
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_zipCommentWithoutArchive)
    ->Apply(sizes)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
