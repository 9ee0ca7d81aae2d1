// The program's failures, each with its exit status. Messages are one line
// without the program name.
#pragma once

#include <stdexcept>

namespace formel_cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a file not read, output not written
inline constexpr int kExitUsage = 2;

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be opened or read.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Standard output cannot be written.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace formel_cli
