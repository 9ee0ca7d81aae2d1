// The progress line of a long run on standard error: items and bytes done,
// the rate and, when the input's size is known, the time left. Drawn only
// when standard error is a terminal and standard output is not (results on
// the same screen would tear it apart), from one second into the run and at
// most four times a second; cleared when the run ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace formel_cli {

struct ProgressFigures {
  std::uint64_t items = 0;
  std::uint64_t bytes = 0;
  std::optional<std::uint64_t> size;  // all bytes, when known
  double seconds = 0;                 // since the run began
};

// "formel: 1200000 records, 51.3 of 120.0 MB (42%), 310000/s, 0:14 left"
std::string ProgressText(const std::string& unit, const ProgressFigures& figures);

class Progress {
 public:
  // unit names the items ("lines", "records"). wanted: not --quiet, and
  // the input is not typed at a terminal.
  Progress(bool wanted, std::string unit);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Update(std::uint64_t items, std::uint64_t bytes, std::optional<std::uint64_t> size);

 private:
  using Clock = std::chrono::steady_clock;

  bool shown_;
  std::string unit_;
  Clock::time_point start_;
  Clock::time_point nextDraw_;
};

}  // namespace formel_cli
