// Replays fuzz inputs through a fuzz target's own entry point in an
// ordinary build, without the instrumentation that slows a fuzzing build
// down some thirty to fifty times, and fails when one input takes longer
// than the limit: this is where "no evaluation over a second" is checked.
//
// Usage: formel_fuzz_replay <limit in ms> <file or directory>...
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Inputs(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 2; i < argc; ++i) {
    if (fs::is_directory(argv[i])) {
      for (const auto& entry : fs::directory_iterator(argv[i])) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.emplace_back(argv[i]);
    }
  }
  return files;
}

double RunMilliseconds(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), {});
  const auto start = std::chrono::steady_clock::now();
  LLVMFuzzerTestOneInput(data.data(), data.size());
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: formel_fuzz_replay <limit in ms> <file or directory>...\n");
    return 2;
  }
  const double limit = std::atof(argv[1]);
  LLVMFuzzerInitialize(&argc, &argv);
  double slowest = 0;
  fs::path slowestFile;
  const std::vector<fs::path> files = Inputs(argc, argv);
  for (const fs::path& file : files) {
    const double ms = RunMilliseconds(file);
    if (ms > slowest) {
      slowest = ms;
      slowestFile = file;
    }
  }
  std::printf("replayed %zu inputs, slowest %.1f ms (%s)\n", files.size(), slowest,
              slowestFile.string().c_str());
  if (slowest > limit) {
    std::printf("slower than %.0f ms: %s\n", limit, slowestFile.string().c_str());
    return 1;
  }
  return 0;
}
