// formel._formel: the C++ half of the formel package. The package's Python
// modules build the documented API on top of it.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "evaluator.h"
#include "record_run.h"

namespace py = pybind11;
using formel_python::Evaluator;

PYBIND11_MODULE(_formel, m) {
  m.doc() = "The formel library's evaluator, for the formel package (use formel, not this module).";

  py::class_<Evaluator>(m, "Evaluator", py::dynamic_attr())
      .def(py::init<bool>(), py::arg("standard_functions") = false,
           "A new evaluator with no variables; with standard_functions, the library's standard functions.")
      .def("evaluate", &Evaluator::Evaluate, py::arg("formula"), "Evaluates formula and returns its result.")
      .def("_check", &Evaluator::Check, py::arg("formula"))
      .def("_trace", &Evaluator::Trace, py::arg("formula"))
      .def("__setitem__", &Evaluator::SetItem)
      .def("__getitem__", &Evaluator::GetItem)
      .def("__delitem__", &Evaluator::DelItem)
      .def("__contains__", &Evaluator::Contains)
      .def("clear", &Evaluator::Clear, "Removes every variable.")
      .def("set_function", &Evaluator::SetFunction, py::arg("name"), py::arg("params"), py::arg("function"),
           "Registers function under name with params parameters (0 to 10).")
      .def("remove_function", &Evaluator::RemoveFunction, py::arg("name"),
           "Removes the function registered under name; whether there was one.")
      .def("clear_functions", &Evaluator::ClearFunctions, "Removes every function, the standard ones included.");

  m.def(
      "evaluate_records",
      [](const py::list& formulas, const py::list& names, const py::list& columns, std::size_t rows,
         const py::list& variables, int jobs, bool standardFunctions) {
        return formel_python::EvaluateRecords(formulas, {names, columns, rows}, variables, jobs, standardFunctions);
      },
      py::arg("formulas"), py::arg("names"), py::arg("columns"), py::arg("rows"), py::arg("variables"),
      py::arg("jobs"), py::arg("standard_functions"));
}
