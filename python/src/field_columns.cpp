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

// The text of a compact ASCII str, where it lies: read without a call.
std::string_view AsciiText(PyObject* str) {
  const auto* ascii = reinterpret_cast<const PyASCIIObject*>(str);
  return std::string_view(reinterpret_cast<const char*>(ascii + 1), static_cast<std::size_t>(ascii->length));
}

bool IsAsciiStr(PyObject* item) { return PyUnicode_Check(item) && PyUnicode_IS_COMPACT_ASCII(item); }

// The UTF-8 that a str keeps (made on the first call, but for ASCII);
// nothing, with Python's error set, when it cannot be encoded.
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

// The longest str whose text a column copies.
constexpr std::size_t kCopied = 64;

// The text of a value other than None and a short ASCII str: a str's
// where it lies, the str referenced by strs; any other's in owned.
std::string_view OtherText(const std::string& what, PyObject* item, std::size_t row, std::vector<py::object>& strs,
                           std::deque<std::string>& owned) {
  if (PyUnicode_Check(item)) {
    if (const auto text = Utf8Of(item)) {
      CheckNoNul(*text, what);
      strs.push_back(py::reinterpret_borrow<py::object>(item));
      return *text;
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
  if (kind_ == Kind::kObjects) taken_.resize((rows + chunkRows - 1) / chunkRows);
}

template <class Number>
void FieldColumn::HoldNumbers(py::handle values) {
  const auto numbers = py::array_t<Number, py::array::forcecast>::ensure(values);
  if (!numbers || numbers.ndim() != 1) throw py::value_error("a column must be one-dimensional");
  held_ = numbers;
  items_ = reinterpret_cast<const char*>(numbers.data());
  stride_ = numbers.strides(0);
  size_ = static_cast<std::size_t>(numbers.shape(0));
}

void FieldColumn::HoldObjects(py::handle values) {
  if (const auto array = ObjectArray(values)) {
    held_ = *array;
    items_ = static_cast<const char*>(array->data());
    stride_ = array->strides(0);
    size_ = static_cast<std::size_t>(array->shape(0));
    return;
  }
  held_ = SequenceObjects(values);
  items_ = reinterpret_cast<const char*>(PySequence_Fast_ITEMS(held_.ptr()));
  stride_ = sizeof(PyObject*);
  size_ = static_cast<std::size_t>(PyTuple_GET_SIZE(held_.ptr()));
}

PyObject* FieldColumn::Item(std::size_t row) const {
  PyObject* item = *reinterpret_cast<PyObject* const*>(items_ + static_cast<py::ssize_t>(row) * stride_);
  return item == nullptr ? Py_None : item;
}

void FieldColumn::Take(std::size_t chunk) {
  if (kind_ != Kind::kObjects) return;
  Taken& taken = taken_[chunk];
  const std::size_t first = chunk * chunkRows_;
  const std::size_t end = std::min(size_, first + chunkRows_);
  taken.ends.reserve(end - first);
  for (std::size_t row = first; row < end; ++row) {
    PyObject* item = Item(row);
    if (item != Py_None) {
      if (IsAsciiStr(item) && PyUnicode_GET_LENGTH(item) <= static_cast<Py_ssize_t>(kCopied)) {
        const std::string_view text = AsciiText(item);
        CheckNoNul(text, what_);
        taken.texts += text;
      } else {
        taken.others.emplace_back(row, OtherText(what_, item, row, strs_, owned_));
      }
    }
    taken.ends.push_back(static_cast<std::uint32_t>(taken.texts.size()));
  }
}

void FieldColumn::RaiseFirstFault() const {
  if (kind_ != Kind::kObjects) return;
  std::vector<py::object> strs;
  std::deque<std::string> owned;
  for (std::size_t row = 0; row < size_; ++row) {
    PyObject* item = Item(row);
    if (item != Py_None) OtherText(what_, item, row, strs, owned);
    strs.clear();
    owned.clear();
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
      ReadObjects(chunk, out);
  }
}

template <class Number, class Write>
void FieldColumn::ReadNumbers(std::size_t first, std::size_t end, ColumnChunk& out, Write write) const {
  out.numbers.clear();
  out.ends.clear();
  char text[kNumberTextRoom];
  for (std::size_t row = first; row < end; ++row) {
    Number number;
    std::memcpy(&number, items_ + static_cast<py::ssize_t>(row) * stride_, sizeof number);
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

void FieldColumn::ReadObjects(std::size_t chunk, ColumnChunk& out) const {
  const Taken& taken = taken_[chunk];
  auto other = taken.others.begin();
  std::size_t row = chunk * chunkRows_;
  std::size_t start = 0;
  for (const std::uint32_t end : taken.ends) {
    if (other != taken.others.end() && other->first == row) {
      out.fields.push_back((other++)->second);
    } else {
      out.fields.emplace_back(taken.texts.data() + start, end - start);
    }
    start = end;
    ++row;
  }
}

}  // namespace formel_python
