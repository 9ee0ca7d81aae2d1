#include "field_columns.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <cstring>
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

// The text of a compact ASCII str, where it lies: read from fields that
// never change, so that no GIL is needed.
std::string_view AsciiText(PyObject* str) {
  const auto* ascii = reinterpret_cast<const PyASCIIObject*>(str);
  return std::string_view(reinterpret_cast<const char*>(ascii + 1), static_cast<std::size_t>(ascii->length));
}

bool IsAsciiStr(PyObject* item) { return PyUnicode_Check(item) && PyUnicode_IS_COMPACT_ASCII(item); }

// The UTF-8 that any other str keeps (made on the first call); nothing,
// with Python's error set, when it cannot be encoded.
std::optional<std::string_view> Utf8Of(PyObject* str) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(str, &size);
  if (data == nullptr) return std::nullopt;
  return std::string_view(data, static_cast<std::size_t>(size));
}

void CheckNoNul(std::string_view text, const std::string& what) {
  for (const char c : text) {
    if (c == '\0') throw py::value_error("embedded null character in " + what);
  }
}

// The text of an object that is neither None nor an ASCII str (those are
// read where they lie: nothing), kept in owned when no str holds it.
std::optional<std::string_view> OtherText(const std::string& what, PyObject* item, std::size_t row,
                                          std::deque<std::string>& owned) {
  if (item == Py_None) return std::nullopt;
  if (IsAsciiStr(item)) {
    CheckNoNul(AsciiText(item), what);
    return std::nullopt;
  }
  if (PyUnicode_Check(item)) {
    // The str keeps its UTF-8 for as long as it lives, and the column keeps it.
    if (const auto text = Utf8Of(item)) {
      CheckNoNul(*text, what);
      return text;
    }
    PyErr_Clear();  // lone surrogates: ValueText encodes them
  }
  std::string text;
  if (!ValueText(item, what.c_str(), text)) {
    throw py::type_error(what + ", row " + std::to_string(row) + ": expected str, a number or None, not " +
                         TypeName(item));
  }
  return owned.emplace_back(std::move(text));
}

}  // namespace

FieldColumn::FieldColumn(const std::string& name, py::handle values, std::size_t rows, std::size_t chunkRows)
    : what_("column '" + name + "'"), chunkRows_(chunkRows) {
  const char kind = py::isinstance<py::array>(values) ? py::reinterpret_borrow<py::array>(values).dtype().kind() : 'O';
  switch (kind) {
    case 'i':
      kind_ = Kind::kIntegers;
      HoldNumbers<long long>(values);
      break;
    case 'f':
      kind_ = Kind::kReals;
      HoldNumbers<double>(values);
      break;
    case 'b':
      kind_ = Kind::kBools;
      HoldNumbers<bool>(values);
      break;
    default:
      HoldObjects(values);
  }
  if (size_ != rows) {
    throw py::value_error(what_ + " has " + std::to_string(size_) + " values, the table " + std::to_string(rows) +
                          " rows");
  }
  if (kind_ == Kind::kObjects) others_.resize((rows + chunkRows - 1) / chunkRows);
}

template <class Number>
void FieldColumn::HoldNumbers(py::handle values) {
  const auto numbers = py::array_t<Number, py::array::forcecast>::ensure(values);
  if (!numbers || numbers.ndim() != 1) throw py::value_error("a column must be one-dimensional");
  held_ = numbers;
  numbers_ = reinterpret_cast<const char*>(numbers.data());
  stride_ = numbers.strides(0);
  size_ = static_cast<std::size_t>(numbers.shape(0));
}

void FieldColumn::HoldObjects(py::handle values) {
  if (const auto array = ObjectArray(values)) {
    // Read in place (iterating it would make a scalar per item); a tuple
    // that nothing else can change takes its items as they are referenced.
    source_ = *array;
    sourceItems_ = static_cast<const char*>(array->data());
    stride_ = array->strides(0);
    size_ = static_cast<std::size_t>(array->shape(0));
    held_ = py::tuple(array->shape(0));
    return;
  }
  held_ = SequenceObjects(values);
  size_ = static_cast<std::size_t>(PyTuple_GET_SIZE(held_.ptr()));
}

PyObject* FieldColumn::SourceItem(std::size_t row) const {
  if (sourceItems_ == nullptr) return PyTuple_GET_ITEM(held_.ptr(), static_cast<Py_ssize_t>(row));
  PyObject* item = *reinterpret_cast<PyObject* const*>(sourceItems_ + static_cast<py::ssize_t>(row) * stride_);
  return item == nullptr ? Py_None : item;
}

void FieldColumn::Reference(std::size_t chunk) {
  if (kind_ != Kind::kObjects) return;
  Others& others = others_[chunk];
  const std::size_t end = std::min(size_, (chunk + 1) * chunkRows_);
  for (std::size_t row = chunk * chunkRows_; row < end; ++row) {
    PyObject* item = SourceItem(row);
    if (sourceItems_ != nullptr) {
      Py_INCREF(item);
      PyTuple_SET_ITEM(held_.ptr(), static_cast<Py_ssize_t>(row), item);
    }
    if (const auto text = OtherText(what_, item, row, owned_)) others.emplace_back(row, *text);
  }
}

void FieldColumn::RaiseFirstFault() const {
  if (kind_ != Kind::kObjects) return;
  std::deque<std::string> scratch;
  for (std::size_t row = 0; row < size_; ++row) {
    OtherText(what_, SourceItem(row), row, scratch);
    scratch.clear();
  }
}

void FieldColumn::Read(std::size_t chunk, ColumnChunk& out) const {
  const std::size_t first = chunk * chunkRows_;
  const std::size_t end = std::min(size_, first + chunkRows_);
  out.fields.clear();
  switch (kind_) {
    case Kind::kIntegers:
      ReadNumbers<long long>(first, end, out, [](long long n, char* text) { return WriteIntegerText(n, text); });
      break;
    case Kind::kReals:
      ReadNumbers<double>(first, end, out, [](double n, char* text) { return WriteNumberText(n, text); });
      break;
    case Kind::kBools:
      ReadNumbers<bool>(first, end, out, [](bool b, char* text) {
        *text = b ? '1' : '0';
        return std::size_t{1};
      });
      break;
    case Kind::kObjects:
      ReadObjects(chunk, first, end, out);
  }
}

template <class Number, class Write>
void FieldColumn::ReadNumbers(std::size_t first, std::size_t end, ColumnChunk& out, Write write) const {
  out.numbers.clear();
  out.ends.clear();
  char text[kNumberTextRoom];
  for (std::size_t row = first; row < end; ++row) {
    Number number;
    std::memcpy(&number, numbers_ + static_cast<py::ssize_t>(row) * stride_, sizeof number);
    out.numbers.append(text, write(number, text));
    out.ends.push_back(out.numbers.size());
  }
  // The views once the texts no longer move.
  std::size_t start = 0;
  for (const std::size_t stop : out.ends) {
    out.fields.emplace_back(out.numbers.data() + start, stop - start);
    start = stop;
  }
}

void FieldColumn::ReadObjects(std::size_t chunk, std::size_t first, std::size_t end, ColumnChunk& out) const {
  PyObject* const* items = PySequence_Fast_ITEMS(held_.ptr());
  auto other = others_[chunk].begin();
  const auto others = others_[chunk].end();
  for (std::size_t row = first; row < end; ++row) {
    if (other != others && other->first == row) {
      out.fields.push_back((other++)->second);
    } else if (items[row] == Py_None) {
      out.fields.emplace_back();
    } else {
      out.fields.push_back(AsciiText(items[row]));
    }
  }
}

}  // namespace formel_python
