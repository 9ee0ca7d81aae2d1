#include "input_lines.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "errors.h"

namespace formel_cli {

namespace {

std::string CannotRead(const std::string& name, const char* reason) {
  return "cannot read " + name + ": " + reason;
}

}  // namespace

Input::Input(const std::string& path) : name_(path), stream_(&std::cin) {
  if (path == "-") {
    name_ = "standard input";
    return;
  }
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) throw FileError(CannotRead(path, "is a directory"));
  errno = 0;
  auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!file->is_open()) {
    throw FileError(CannotRead(path, errno != 0 ? std::strerror(errno) : "cannot open"));
  }
  file_ = std::move(file);
  stream_ = file_.get();
}

Input::~Input() = default;

bool Input::NextLine(std::string& line) {
  if (!std::getline(*stream_, line)) {
    if (stream_->bad()) throw FileError(CannotRead(name_, "read error"));
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace formel_cli
