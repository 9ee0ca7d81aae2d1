// The StringWorkspace: where every temporary text and every text result is
// built. It is used as a stack: an operation notes the write position,
// builds, then keeps its result (steps past it) or rewinds.
//
// It never overruns: a text that does not fit in the current block goes to
// another block (at least kBlockSize bytes, or what the text needs). A text
// already built never moves. Blocks beyond the first are given back by
// Reset(), which the outermost call into an evaluator runs at its start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

#include "frame/move_bytes.h"

namespace formel {

class StringWorkspace {
 public:
  static constexpr std::size_t kBlockSize = 64000;

  struct Mark {
    std::size_t block;
    std::size_t offset;
  };

  // firstBlock: the size of the block kept for the workspace's whole life.
  StringWorkspace(std::pmr::memory_resource* heap, std::size_t firstBlock);
  ~StringWorkspace();
  StringWorkspace(const StringWorkspace&) = delete;
  StringWorkspace& operator=(const StringWorkspace&) = delete;

  Mark Position() const { return {current_, offset_}; }
  void Rewind(Mark mark) {
    current_ = mark.block;
    offset_ = mark.offset;
  }

  // Room for n bytes and a terminator at the write position; the returned
  // pointer is where the text goes. Call Commit(n) once it is written.
  // Inline, as Put: the values of a loop pass here, a few bytes each.
  char* Reserve(std::size_t n) {
    if (n + 1 > blocks_[current_].size - offset_) OpenBlockFor(n + 1);
    return WritePointer();
  }
  // Terminates the n bytes written at Reserve()'s pointer, leaves the write
  // position on the terminator and returns the text's first byte.
  char* Commit(std::size_t n) {
    char* start = WritePointer();
    start[n] = '\0';
    offset_ += n;
    return start;
  }
  // Reserve, copy, Commit. The source may lie anywhere, inside the
  // workspace included.
  char* Put(std::string_view text) {
    char* dest = Reserve(text.size());
    // A text already in place (a host function giving back its first
    // argument) needs no move.
    if (dest != text.data()) MoveBytes(dest, text.data(), text.size());
    return Commit(text.size());
  }
  // Steps past the terminator of the text just built, so the next text
  // does not overwrite it.
  void Keep() { ++offset_; }
  // Back to the first byte of the first block; extra blocks are released.
  // Inline: every call into an evaluator runs it, most with one block.
  void Reset() {
    if (blocks_.size() > 1) ReleaseExtraBlocks();
    current_ = 0;
    offset_ = 0;
  }

  char* WritePointer() { return blocks_[current_].data + offset_; }

 private:
  struct Block {
    char* data;
    std::size_t size;
  };
  void OpenBlockFor(std::size_t bytes);
  void ReleaseExtraBlocks();

  std::pmr::memory_resource* heap_;
  std::pmr::vector<Block> blocks_;
  std::size_t current_ = 0;
  std::size_t offset_ = 0;
};

// Rewinds the workspace to where it stood when the scope began.
class WorkspaceScope {
 public:
  explicit WorkspaceScope(StringWorkspace& ws) : ws_(ws), mark_(ws.Position()) {}
  ~WorkspaceScope() { ws_.Rewind(mark_); }
  WorkspaceScope(const WorkspaceScope&) = delete;
  WorkspaceScope& operator=(const WorkspaceScope&) = delete;

 private:
  StringWorkspace& ws_;
  StringWorkspace::Mark mark_;
};

}  // namespace formel
