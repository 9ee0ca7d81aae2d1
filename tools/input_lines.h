// Reading texts of one item per line: files, standard input.
#pragma once

#include <istream>
#include <memory>
#include <string>

namespace formel_cli {

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

  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::unique_ptr<std::istream> file_;
  std::istream* stream_;
};

}  // namespace formel_cli
