#include "field_columns.h"

#include <pybind11/numpy.h>

#include <optional>

#include "texts.h"

namespace formel_python {

namespace {

// values as a one-dimensional numpy array of objects, read in place
// (iterating it would make a scalar per item); nothing for any other kind.
std::optional<py::array> ObjectArray(py::handle values) {
  if (!py::isinstance<py::array>(values)) return std::nullopt;
  auto array = py::reinterpret_borrow<py::array>(values);
  if (array.ndim() != 1) throw py::value_error("a column must be one-dimensional");
  if (array.dtype().kind() != 'O') return std::nullopt;
  return array;
}

// The objects of a sequence, referenced by a tuple that nothing else can change.
py::object SequenceObjects(py::handle values) {
  if (!PySequence_Check(values.ptr())) throw py::type_error("a column must be a sequence");
  py::object objects = py::reinterpret_steal<py::object>(PySequence_Tuple(values.ptr()));
  if (!objects) throw py::error_already_set();
  return objects;
}

// The UTF-8 that str keeps; nothing (with Python's error set) when it
// cannot be encoded. An ASCII str is its own UTF-8, the common case read
// without a call.
std::optional<std::string_view> Utf8Of(PyObject* str) {
  if (PyUnicode_IS_COMPACT_ASCII(str)) {
    return std::string_view(static_cast<const char*>(PyUnicode_DATA(str)),
                            static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)));
  }
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(str, &size);
  if (data == nullptr) return std::nullopt;
  return std::string_view(data, static_cast<std::size_t>(size));
}

}  // namespace

FieldColumn::FieldColumn(const std::string& name, py::handle values, std::size_t rows) {
  fields_.reserve(rows);
  const char kind = py::isinstance<py::array>(values) ? py::reinterpret_borrow<py::array>(values).dtype().kind() : 'O';
  switch (kind) {
    case 'i':
      AddNumbers<long long>(values, [](long long n, char* out) { return WriteIntegerText(n, out); });
      break;
    case 'f':
      AddNumbers<double>(values, [](double n, char* out) { return WriteNumberText(n, out); });
      break;
    case 'b':
      AddNumbers<bool>(values, [](bool b, char* out) {
        *out = b ? '1' : '0';
        return std::size_t{1};
      });
      break;
    default:
      AddObjects(name, values, rows);
  }
  if (fields_.size() != rows) {
    throw py::value_error("column '" + name + "' has " + std::to_string(fields_.size()) + " values, the table " +
                          std::to_string(rows) + " rows");
  }
}

template <class Number, class Write>
void FieldColumn::AddNumbers(py::handle values, Write write) {
  const auto numbers = py::array_t<Number, py::array::forcecast>::ensure(values);
  if (!numbers || numbers.ndim() != 1) throw py::value_error("a column must be one-dimensional");
  const auto view = numbers.template unchecked<1>();
  std::vector<std::size_t> ends;
  ends.reserve(static_cast<std::size_t>(view.shape(0)));
  char text[kNumberTextRoom];
  for (py::ssize_t i = 0; i < view.shape(0); ++i) {
    numbers_.append(text, write(view(i), text));
    ends.push_back(numbers_.size());
  }
  // The views once the texts no longer move.
  std::size_t start = 0;
  for (const std::size_t end : ends) {
    fields_.emplace_back(numbers_.data() + start, end - start);
    start = end;
  }
}

void FieldColumn::AddObjects(const std::string& name, py::handle values, std::size_t rows) {
  const std::string what = "column '" + name + "'";
  if (const auto array = ObjectArray(values)) {
    // Referenced by a tuple that nothing else can change, and read in the
    // same pass: one visit to each object.
    const py::ssize_t size = array->shape(0);
    if (static_cast<std::size_t>(size) != rows) {
      fields_.resize(static_cast<std::size_t>(size));  // for the message
      return;
    }
    const py::ssize_t stride = array->strides(0);
    const char* data = static_cast<const char*>(array->data());
    strs_ = py::tuple(size);
    for (py::ssize_t i = 0; i < size; ++i) {
      PyObject* item = *reinterpret_cast<PyObject* const*>(data + i * stride);
      if (item == nullptr) item = Py_None;
      Py_INCREF(item);
      PyTuple_SET_ITEM(strs_.ptr(), i, item);
      AddObject(what, item, static_cast<std::size_t>(i));
    }
    return;
  }
  strs_ = SequenceObjects(values);
  const Py_ssize_t size = PyTuple_GET_SIZE(strs_.ptr());
  if (static_cast<std::size_t>(size) != rows) {
    fields_.resize(static_cast<std::size_t>(size));  // for the message
    return;
  }
  for (Py_ssize_t i = 0; i < size; ++i) AddObject(what, PyTuple_GET_ITEM(strs_.ptr(), i), static_cast<std::size_t>(i));
}

void FieldColumn::AddObject(const std::string& what, py::handle item, std::size_t row) {
  if (item.is_none()) {
    fields_.emplace_back();
    return;
  }
  if (PyUnicode_Check(item.ptr())) {
    // The str keeps its UTF-8 for as long as it lives, and strs_ keeps it.
    if (const auto text = Utf8Of(item.ptr())) {
      for (const char c : *text) {
        if (c == '\0') throw py::value_error("embedded null character in " + what);
      }
      fields_.push_back(*text);
      return;
    }
    PyErr_Clear();  // lone surrogates: ValueText encodes them
  }
  std::string text;
  if (!ValueText(item, what.c_str(), text)) {
    throw py::type_error(what + ", row " + std::to_string(row) + ": expected str, a number or None, not " +
                         TypeName(item));
  }
  fields_.push_back(owned_.emplace_back(std::move(text)));
}

}  // namespace formel_python
