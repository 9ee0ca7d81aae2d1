#include "field_columns.h"

#include <pybind11/numpy.h>

#include "texts.h"

namespace formel_python {

FieldColumn::FieldColumn(const std::string& name, py::handle values, std::size_t rows) {
  starts_.reserve(rows);
  if (py::isinstance<py::array>(values)) {
    switch (py::reinterpret_borrow<py::array>(values).dtype().kind()) {
      case 'i':
        AddNumbers<long long>(values, [](long long n) { return IntegerText(n); });
        break;
      case 'f':
        AddNumbers<double>(values, [](double n) { return NumberText(n); });
        break;
      case 'b':
        AddNumbers<bool>(values, [](bool b) { return std::string(b ? "1" : "0"); });
        break;
      default:
        AddObjects(name, values, rows);
    }
  } else {
    AddObjects(name, values, rows);
  }
  if (starts_.size() != rows) {
    throw py::value_error("column '" + name + "' has " + std::to_string(starts_.size()) + " values, the table " +
                          std::to_string(rows) + " rows");
  }
}

void FieldColumn::Add(const std::string& text) {
  starts_.push_back(bytes_.size());
  bytes_ += text;
  bytes_ += '\0';
}

template <class Number, class Format>
void FieldColumn::AddNumbers(py::handle values, Format format) {
  const auto numbers = py::array_t<Number, py::array::forcecast>::ensure(values);
  if (!numbers || numbers.ndim() != 1) throw py::value_error("a column must be one-dimensional");
  const auto view = numbers.template unchecked<1>();
  for (py::ssize_t i = 0; i < view.shape(0); ++i) Add(format(view(i)));
}

void FieldColumn::AddObjects(const std::string& name, py::handle values, std::size_t rows) {
  const py::object fast = py::reinterpret_steal<py::object>(PySequence_Fast(values.ptr(), "a column must be a sequence"));
  if (!fast) throw py::error_already_set();
  const Py_ssize_t size = PySequence_Fast_GET_SIZE(fast.ptr());
  PyObject** items = PySequence_Fast_ITEMS(fast.ptr());
  std::string text;
  const std::string what = "column '" + name + "'";
  for (Py_ssize_t i = 0; i < size && static_cast<std::size_t>(i) <= rows; ++i) {
    text.clear();
    const py::handle item(items[i]);
    if (!item.is_none() && !ValueText(item, what.c_str(), text)) {
      throw py::type_error(what + ", row " + std::to_string(i) + ": expected str, a number or None, not " +
                           TypeName(item));
    }
    Add(text);
  }
}

}  // namespace formel_python
