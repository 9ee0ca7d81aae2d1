#include "texts.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace formel_python {

std::string TypeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

TextArgument::TextArgument(py::handle text, const char* what) {
  if (!PyUnicode_Check(text.ptr())) {
    throw py::type_error(std::string(what) + " must be str, not " + TypeName(text));
  }
  Py_ssize_t size = 0;
  data_ = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
  if (data_ == nullptr) {
    // Lone surrogates: bytes that an earlier result brought back.
    PyErr_Clear();
    const py::object encoded = py::reinterpret_steal<py::object>(
        PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape"));
    if (!encoded) throw py::error_already_set();
    owned_.assign(PyBytes_AS_STRING(encoded.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(encoded.ptr())));
    data_ = owned_.c_str();
    size = static_cast<Py_ssize_t>(owned_.size());
  }
  size_ = static_cast<std::size_t>(size);
  if (std::strlen(data_) != size_) throw py::value_error(std::string("embedded null character in ") + what);
}

std::string BytesOf(py::handle text, const char* what) {
  const TextArgument argument(text, what);
  return std::string(argument.c_str(), argument.size());
}

py::str StrOf(std::string_view text) {
  PyObject* str = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (str == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(str);
}

std::size_t WriteNumberText(double number, char* out) {
  if (std::isnan(number)) return 0;
  const auto [end, error] = std::to_chars(out, out + kNumberTextRoom, number, std::chars_format::fixed);
  return error == std::errc() ? static_cast<std::size_t>(end - out) : 0;
}

std::size_t WriteIntegerText(long long number, char* out) {
  return static_cast<std::size_t>(std::to_chars(out, out + kNumberTextRoom, number).ptr - out);
}

std::string NumberText(double number) {
  char buffer[kNumberTextRoom];
  return std::string(buffer, WriteNumberText(number, buffer));
}

bool ValueText(py::handle value, const char* what, std::string& out) {
  PyObject* v = value.ptr();
  if (PyUnicode_Check(v)) {
    out = BytesOf(value, what);
  } else if (PyBool_Check(v)) {
    out = v == Py_True ? "1" : "0";
  } else if (PyFloat_Check(v)) {
    out = NumberText(PyFloat_AS_DOUBLE(v));
  } else if (PyLong_Check(v) || PyIndex_Check(v)) {
    // Integers of any size, and integer scalars such as numpy's.
    const py::object integer = py::reinterpret_steal<py::object>(PyNumber_Index(v));
    if (!integer) throw py::error_already_set();
    out = py::str(integer);
  } else if (PyNumber_Check(v) && !PyComplex_Check(v)) {
    // Floating scalars that are not Python floats (numpy's float32).
    out = NumberText(py::cast<double>(value));
  } else {
    return false;
  }
  return true;
}

}  // namespace formel_python
