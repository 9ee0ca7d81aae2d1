// The message of a finding, built in a fixed buffer: reporting allocates
// nothing, so an observer never makes an evaluation run out of memory.
// What does not fit is cut off.
#pragma once

#include <cstddef>
#include <string_view>

namespace formel {

class FindingMessage {
 public:
  FindingMessage& operator<<(std::string_view text);
  FindingMessage& operator<<(long long number);
  // The text between double quotes, shortened with "..." when long.
  FindingMessage& Quoted(std::string_view text);

  std::string_view View() const { return {buffer_, size_}; }

 private:
  char buffer_[256];
  std::size_t size_ = 0;
};

}  // namespace formel
