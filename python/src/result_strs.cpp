#include "result_strs.h"

#include <cstring>
#include <limits>
#include <utility>

#include "texts.h"

namespace formel_python {

namespace {

bool IsAscii(std::string_view text) {
  unsigned char any = 0;
  for (const char c : text) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

// ASCII is its own UTF-8: the str is made and filled in one step, without
// the decoder.
PyObject* AsciiStr(std::string_view text) {
  PyObject* str = PyUnicode_New(static_cast<Py_ssize_t>(text.size()), 127);
  if (str == nullptr) throw py::error_already_set();
  std::memcpy(PyUnicode_1BYTE_DATA(str), text.data(), text.size());
  return str;
}

std::uint64_t Load(const char* at, std::size_t bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, bytes);
  return word;
}

// A short text's bytes in up to three words that cover them all (they
// overlap), read without a loop; all zero for an empty text.
struct TextWords {
  std::uint64_t a = 0, b = 0, c = 0;

  explicit TextWords(std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    if (n >= 8) {
      a = Load(p, 8);
      b = Load(p + n - 8, 8);
      if (n > 16) c = Load(p + 8, 8);
    } else if (n >= 4) {
      a = Load(p, 4);
      b = Load(p + n - 4, 4);
    } else if (n > 0) {
      a = Load(p, 1) | Load(p + n / 2, 1) << 8 | Load(p + n - 1, 1) << 16;
    }
  }

  bool Ascii() const { return ((a | b | c) & 0x8080808080808080ULL) == 0; }
  std::uint64_t Hash(std::size_t size) const {
    const std::uint64_t mixed =
        (a * 0x9E3779B97F4A7C15ULL) ^ (b * 0xC2B2AE3D27D4EB4FULL) ^ (c * 0x165667B19E3779F9ULL) ^ size;
    return mixed * 0xD6E8FEB86659FD93ULL;
  }
};

}  // namespace

void ResultStrs::Settle(Slot& slot) {
  if (slot.str == nullptr) return;
  Py_SET_REFCNT(slot.str, Py_REFCNT(slot.str) + static_cast<Py_ssize_t>(slot.given));
  slot.given = 0;
  Py_CLEAR(slot.str);
}

void ResultStrs::Settle() {
  for (Set& set : sets_) {
    for (Slot& slot : set.slots) Settle(slot);
  }
}

std::size_t ResultStrs::Locate(std::string_view text) const {
  if (text.size() > kShared) return kNowhere;
  const TextWords words(text);
  if (!words.Ascii()) return kNowhere;
  const std::size_t set = static_cast<std::size_t>(words.Hash(text.size()) >> (64 - kSetBits));  // the best mixed bits
  __builtin_prefetch(&sets_[set]);
  return set;
}

PyObject* ResultStrs::Found(std::string_view text, std::size_t set) {
  if (set == kNowhere) return nullptr;
  Slot* slots = sets_[set].slots;
  const auto holds = [&](const Slot& slot) {
    return slot.str != nullptr && slot.size == text.size() && std::memcmp(slot.text, text.data(), text.size()) == 0 &&
           slot.given < std::numeric_limits<std::uint32_t>::max();
  };
  if (!holds(slots[0])) {
    if (!holds(slots[1])) return nullptr;
    std::swap(slots[0], slots[1]);
  }
  ++slots[0].given;
  return slots[0].str;
}

PyObject* ResultStrs::Make(std::string_view text) {
  const std::size_t set = Locate(text);
  if (PyObject* str = Found(text, set)) return str;
  if (!IsAscii(text)) return StrOf(text).release().ptr();
  if (set == kNowhere) return AsciiStr(text);
  Slot* slots = sets_[set].slots;
  PyObject* str = AsciiStr(text);
  Settle(slots[1]);
  slots[1] = slots[0];
  slots[0].str = str;
  slots[0].given = 1;
  slots[0].size = static_cast<std::uint8_t>(text.size());
  std::memcpy(slots[0].text, text.data(), text.size());
  return str;
}

}  // namespace formel_python
