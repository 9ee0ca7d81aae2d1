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

}  // namespace

std::size_t ResultStrs::Hash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return static_cast<std::size_t>(hash ^ (hash >> 29));
}

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

PyObject* ResultStrs::Found(std::string_view text) {
  if (text.size() > kShared || !IsAscii(text)) return nullptr;
  Slot* slots = SetOf(text).slots;
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
  if (PyObject* str = Found(text)) return str;
  if (!IsAscii(text)) return StrOf(text).release().ptr();
  if (text.size() > kShared) return AsciiStr(text);
  Slot* slots = SetOf(text).slots;
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
