#include "frame/string_workspace.h"

#include <algorithm>
#include <cstring>

namespace formel {

StringWorkspace::StringWorkspace(std::pmr::memory_resource* heap, std::size_t firstBlock)
    : heap_(heap), blocks_(heap) {
  blocks_.reserve(4);
  char* first = static_cast<char*>(heap_->allocate(firstBlock, 1));
  std::memset(first, 0, firstBlock);
  blocks_.push_back({first, firstBlock});
}

StringWorkspace::~StringWorkspace() {
  for (const Block& b : blocks_) heap_->deallocate(b.data, b.size, 1);
}

void StringWorkspace::OpenBlockFor(std::size_t bytes) {
  const std::size_t next = current_ + 1;
  if (next < blocks_.size() && blocks_[next].size >= bytes) {
    current_ = next;
    offset_ = 0;
    return;
  }
  // Blocks above the write position hold nothing live: replace the next one
  // by one that is large enough (allocate first, so a failure changes nothing).
  const std::size_t size = std::max(kBlockSize, bytes);
  if (next == blocks_.size()) blocks_.reserve(blocks_.size() + 1);
  char* data = static_cast<char*>(heap_->allocate(size, 1));
  if (next < blocks_.size()) {
    heap_->deallocate(blocks_[next].data, blocks_[next].size, 1);
    blocks_[next] = {data, size};
  } else {
    blocks_.push_back({data, size});
  }
  current_ = next;
  offset_ = 0;
}

void StringWorkspace::ReleaseExtraBlocks() {
  for (std::size_t i = 1; i < blocks_.size(); ++i) {
    heap_->deallocate(blocks_[i].data, blocks_[i].size, 1);
  }
  blocks_.resize(1);
}

}  // namespace formel
