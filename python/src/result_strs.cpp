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

bool Ascii(const ResultStrs::Words& words) { return ((words.a | words.b | words.c) & 0x8080808080808080ULL) == 0; }

std::uint64_t Hash(const ResultStrs::Words& words) {
  const std::uint64_t mixed = (words.a * 0x9E3779B97F4A7C15ULL) ^ (words.b * 0xC2B2AE3D27D4EB4FULL) ^
                              (words.c * 0x165667B19E3779F9ULL) ^ words.size;
  return mixed * 0xD6E8FEB86659FD93ULL;
}

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

void ResultStrs::Locate(std::string_view text, Place& place) const {
  place.set = kNowhere;
  if (text.size() > kShared) return;
  place.words.Read(text);
  if (!Ascii(place.words)) return;
  place.set = static_cast<std::size_t>(Hash(place.words) >> (64 - kSetBits));  // the best mixed bits
  __builtin_prefetch(&sets_[place.set]);
}

PyObject* ResultStrs::Found(const Place& place) {
  if (place.set == kNowhere) return nullptr;
  Slot* slots = sets_[place.set].slots;
  const auto holds = [&](const Slot& slot) {
    if (slot.str == nullptr || slot.size != place.words.size) return false;
    Words words;
    words.Read(std::string_view(slot.text, slot.size));
    return words == place.words && slot.given < std::numeric_limits<std::uint32_t>::max();
  };
  if (!holds(slots[0])) {
    if (!holds(slots[1])) return nullptr;
    std::swap(slots[0], slots[1]);
  }
  ++slots[0].given;
  return slots[0].str;
}

PyObject* ResultStrs::Make(std::string_view text) {
  Place place;
  Locate(text, place);
  if (PyObject* str = Found(place)) return str;
  if (!IsAscii(text)) return StrOf(text).release().ptr();
  if (place.set == kNowhere) return AsciiStr(text);
  Slot* slots = sets_[place.set].slots;
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
