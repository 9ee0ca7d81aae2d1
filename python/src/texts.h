// Texts between Python and the library. The library's texts are bytes;
// Python's are str. A str goes in as UTF-8, and a text comes back decoded
// from UTF-8 with "surrogateescape", so that bytes that are not UTF-8 (a
// function may cut a sequence in two) come back unchanged when the str is
// passed in again, as os.fsdecode does for file names.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace formel_python {

namespace py = pybind11;

// The bytes of a str. TypeError when text is not a str, ValueError when it
// holds a NUL byte (the library's texts end at the first one); what names
// the argument in the message.
std::string BytesOf(py::handle text, const char* what);

// The bytes of a str for the length of a call, without a copy when the
// str holds its UTF-8 already. Errors as BytesOf.
class TextArgument {
 public:
  TextArgument(py::handle text, const char* what);
  TextArgument(const TextArgument&) = delete;
  TextArgument& operator=(const TextArgument&) = delete;

  const char* c_str() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  std::string owned_;  // when the str had to be encoded with surrogates
  const char* data_;
  std::size_t size_;
};

// The str of a library text.
py::str StrOf(std::string_view text);

// A value as the library reads it: a str as it is, a number as the
// formula language writes it (decimal, no exponent: 1e-05 is 0.00001),
// True and False as 1 and 0. Fills out and returns true; false (out
// unchanged) for anything else, a None included. Raises ValueError for a
// str with a NUL byte.
bool ValueText(py::handle value, const char* what, std::string& out);

// The library's text of a number.
std::string NumberText(double number);

// The library's texts of numbers written at out, which has room for kNumberTextRoom chars
// (the longest fixed form of a double is 300-odd digits); their lengths.
constexpr std::size_t kNumberTextRoom = 400;
std::size_t WriteNumberText(double number, char* out);
std::size_t WriteIntegerText(long long number, char* out);

// The name of value's type, for messages.
std::string TypeName(py::handle value);

}  // namespace formel_python
