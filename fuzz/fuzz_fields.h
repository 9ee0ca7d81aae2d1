// Fuzz inputs are fields separated by zero bytes: a text handed to the
// library can never hold one, so the separator costs the fuzzer nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace formel_fuzz {

inline std::vector<std::string> SplitFields(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      fields.emplace_back();
    } else {
      fields.back().push_back(static_cast<char>(data[i]));
    }
  }
  return fields;
}

// Reads fields in order; past the end every field is empty.
class FieldReader {
 public:
  explicit FieldReader(std::vector<std::string> fields) : fields_(std::move(fields)) {}
  bool AtEnd() const { return next_ >= fields_.size(); }
  std::string Next() { return AtEnd() ? std::string() : fields_[next_++]; }

 private:
  std::vector<std::string> fields_;
  std::size_t next_ = 0;
};

// The name matching rule of both tables, written independently of the
// library: blanks (code 32) trimmed at both ends, A-Z and 0xC0-0xDF lowered.
inline std::string NormalName(const std::string& name) {
  std::size_t first = 0;
  std::size_t last = name.size();
  while (first < last && name[first] == ' ') ++first;
  while (last > first && name[last - 1] == ' ') --last;
  std::string key = name.substr(first, last - first);
  for (char& c : key) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDF)) c = static_cast<char>(b + 32);
  }
  return key;
}

}  // namespace formel_fuzz
