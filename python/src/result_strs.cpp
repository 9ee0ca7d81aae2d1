#include "result_strs.h"

#include <cstdint>
#include <cstring>

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

std::size_t Hash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return static_cast<std::size_t>(hash ^ (hash >> 29));
}

bool Holds(PyObject* str, std::string_view text) {
  return str != nullptr && static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)) == text.size() &&
         std::memcmp(PyUnicode_1BYTE_DATA(str), text.data(), text.size()) == 0;
}

}  // namespace

ResultStrs::~ResultStrs() {
  for (PyObject* str : slots_) Py_XDECREF(str);
}

PyObject* ResultStrs::Make(std::string_view text) {
  if (!IsAscii(text)) return StrOf(text).release().ptr();
  if (text.size() > kShared) return AsciiStr(text);
  PyObject*& slot = slots_[Hash(text) & (kSlots - 1)];
  if (!Holds(slot, text)) {
    PyObject* str = AsciiStr(text);
    Py_XDECREF(slot);
    slot = str;
  }
  Py_INCREF(slot);
  return slot;
}

}  // namespace formel_python
