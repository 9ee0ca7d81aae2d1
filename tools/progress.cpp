#include "progress.h"

#include <unistd.h>

#include <charconv>

#include "status_line.h"

namespace formel_cli {

namespace {

std::string Whole(std::uint64_t value) {
  char digits[24];
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// Megabytes (10^6 bytes) with one decimal, without locale.
std::string Megabytes(std::uint64_t bytes) {
  const std::uint64_t tenths = (bytes + 50000) / 100000;
  return Whole(tenths / 10) + "." + Whole(tenths % 10);
}

std::string Duration(std::uint64_t seconds) {
  const std::uint64_t minutes = seconds / 60;
  const std::string secs = std::string(seconds % 60 < 10 ? "0" : "").append(Whole(seconds % 60));
  if (minutes < 60) return Whole(minutes) + ":" + secs;
  const std::string mins = std::string(minutes % 60 < 10 ? "0" : "").append(Whole(minutes % 60));
  return Whole(minutes / 60) + ":" + mins + ":" + secs;
}

}  // namespace

std::string ProgressText(const std::string& unit, const ProgressFigures& f) {
  std::string text = "formel: " + Whole(f.items) + " " + unit + ", ";
  if (f.size && *f.size > 0) {
    text += Megabytes(f.bytes) + " of " + Megabytes(*f.size) + " MB (" + Whole(f.bytes * 100 / *f.size) + "%)";
  } else {
    text += Megabytes(f.bytes) + " MB";
  }
  if (f.seconds <= 0) return text;
  text += ", " + Whole(static_cast<std::uint64_t>(static_cast<double>(f.items) / f.seconds)) + "/s";
  if (f.size && f.bytes > 0 && f.bytes <= *f.size) {
    const double left = static_cast<double>(*f.size - f.bytes) * f.seconds / static_cast<double>(f.bytes);
    text += ", " + Duration(static_cast<std::uint64_t>(left + 0.5)) + " left";
  }
  return text;
}

Progress::Progress(bool wanted, std::string unit)
    : shown_(wanted && isatty(STDERR_FILENO) && !isatty(STDOUT_FILENO)),
      unit_(std::move(unit)),
      start_(Clock::now()),
      nextDraw_(start_ + std::chrono::seconds(1)) {}

Progress::~Progress() {
  if (shown_) ClearStatus();
}

void Progress::Update(std::uint64_t items, std::uint64_t bytes, std::optional<std::uint64_t> size) {
  if (!shown_) return;
  const Clock::time_point now = Clock::now();
  if (now < nextDraw_) return;
  nextDraw_ = now + std::chrono::milliseconds(250);
  const double seconds = std::chrono::duration<double>(now - start_).count();
  ShowStatus(ProgressText(unit_, {items, bytes, size, seconds}));
}

}  // namespace formel_cli
