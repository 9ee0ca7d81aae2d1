// Reading input files and standard input: in blocks as they arrive, or line
// by line. A UTF-8 byte-order mark at the start is skipped, not read as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formel_cli {

// Texts go to the library zero-terminated, so a NUL byte would cut them
// short: a line or field that holds one is refused. The problem ("a NUL
// byte at column N"), or "" when there is none.
std::string NulByteProblem(std::string_view text);

// An opened input: standard input for "-", else the named file.
class Input {
 public:
  // Throws FileError when the file cannot be opened.
  explicit Input(const std::string& path);
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // The next line without its line end ("\n" or "\r\n"); false at the end.
  // Throws FileError when reading fails.
  bool NextLine(std::string& line);

  // The bytes that are there (at least one, waiting for them when needed),
  // valid until the next call; empty at the end. Throws FileError.
  std::string_view NextBlock();

  const std::string& Name() const { return name_; }
  // Whether read bytes wait in the buffer: if not, the next line or block
  // may have to wait for more input (a pipe, a terminal).
  bool Buffered() const { return begin_ < end_; }
  // Typed at a terminal: someone is watching it.
  bool FromTerminal() const { return fromTerminal_; }
  // Bytes handed out so far, and the whole size when it is known in advance
  // (a regular file).
  std::uint64_t BytesDone() const { return done_; }
  std::optional<std::uint64_t> Size() const { return size_; }

 private:
  // Reads more bytes behind the unread ones; false at the end.
  bool Fill();
  void SkipByteOrderMark();

  std::string name_;
  int fd_ = 0;  // standard input
  bool ownsFd_ = false;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // unread bytes are [begin_, end_)
  std::size_t end_ = 0;
  bool atEnd_ = false;
  std::uint64_t done_ = 0;
  std::optional<std::uint64_t> size_;
  bool fromTerminal_ = false;
};

}  // namespace formel_cli
