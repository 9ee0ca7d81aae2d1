#include "input_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "errors.h"

namespace formel_cli {

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string CannotRead(const std::string& name, const char* reason) {
  return "cannot read " + name + ": " + reason;
}

}  // namespace

std::string NulByteProblem(std::string_view text) {
  const std::size_t at = text.find('\0');
  if (at == std::string_view::npos) return {};
  return "a NUL byte at column " + std::to_string(at + 1);
}

Input::Input(const std::string& path) : name_(path), buffer_(kBlockSize) {
  if (path == "-") {
    name_ = "standard input";
  } else {
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw FileError(CannotRead(path, std::strerror(errno)));
    ownsFd_ = true;
  }
  struct stat info {};
  if (fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
    if (ownsFd_) close(fd_);
    throw FileError(CannotRead(name_, "is a directory"));
  }
  if (fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) size_ = static_cast<std::uint64_t>(info.st_size);
  fromTerminal_ = isatty(fd_) != 0;
  SkipByteOrderMark();
}

Input::~Input() {
  if (ownsFd_) close(fd_);
}

bool Input::Fill() {
  if (atEnd_) return false;
  if (begin_ == end_) begin_ = end_ = 0;
  for (;;) {
    const ssize_t n = read(fd_, buffer_.data() + end_, buffer_.size() - end_);
    if (n > 0) {
      end_ += static_cast<std::size_t>(n);
      return true;
    }
    if (n == 0) {
      atEnd_ = true;
      return false;
    }
    if (errno != EINTR) throw FileError(CannotRead(name_, std::strerror(errno)));
  }
}

// Reads only as far as needed to tell: a first line of one byte must not
// wait for more input.
void Input::SkipByteOrderMark() {
  while (end_ < kByteOrderMark.size() &&
         kByteOrderMark.starts_with(std::string_view(buffer_.data(), end_)) && Fill()) {
  }
  if (std::string_view(buffer_.data(), end_).starts_with(kByteOrderMark)) {
    begin_ = kByteOrderMark.size();
    done_ = kByteOrderMark.size();
  }
}

bool Input::NextLine(std::string& line) {
  line.clear();
  for (;;) {
    const char* start = buffer_.data() + begin_;
    const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
    if (newline != nullptr) {
      const auto length = static_cast<std::size_t>(newline - start);
      line.append(start, length);
      begin_ += length + 1;
      done_ += length + 1;
      break;
    }
    line.append(start, end_ - begin_);
    done_ += end_ - begin_;
    begin_ = end_;
    if (!Fill()) {
      if (line.empty()) return false;
      break;
    }
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string_view Input::NextBlock() {
  if (begin_ == end_ && !Fill()) return {};
  const std::string_view block(buffer_.data() + begin_, end_ - begin_);
  done_ += block.size();
  begin_ = end_;
  return block;
}

}  // namespace formel_cli
