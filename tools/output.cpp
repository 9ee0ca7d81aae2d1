#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "errors.h"

namespace formel_cli {

namespace {

[[noreturn]] void Fail() {
  const int error = errno;
  throw OutputError(std::string("cannot write to standard output: ") +
                    (error != 0 ? std::strerror(error) : "write error"));
}

}  // namespace

void ChooseOutputBuffering() {
  constexpr std::size_t kBlock = std::size_t{1} << 16;
  if (isatty(STDOUT_FILENO)) {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
  } else {
    std::setvbuf(stdout, nullptr, _IOFBF, kBlock);
  }
}

void WriteOut(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) Fail();
}

void FlushOut() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) Fail();
}

}  // namespace formel_cli
