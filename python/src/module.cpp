// formel._formel: the C++ half of the formel package. The package's Python
// modules build the documented API on top of it.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "evaluator.h"
#include "record_run.h"
#include "python_errors.h"

namespace py = pybind11;
using formel_python::Evaluator;
using formel_python::SetErrorOfCurrentException;

namespace {

// The evaluator of a Python object, null when its __init__ has not run.
Evaluator* ConstructedEvaluator(PyObject* self) {
  auto* instance = reinterpret_cast<py::detail::instance*>(self);
  if (instance->simple_layout) {
    return instance->simple_holder_constructed ? static_cast<Evaluator*>(instance->simple_value_holder[0]) : nullptr;
  }
  auto first = py::detail::values_and_holders(instance).begin();
  return first->holder_constructed() ? first->value_ptr<Evaluator>() : nullptr;
}

Evaluator* EvaluatorOf(PyObject* self) {
  if (Evaluator* evaluator = ConstructedEvaluator(self)) return evaluator;
  throw py::type_error("formel.Evaluator.__init__ has not been called");
}

// evaluate is the call that hosts make most: as a plain CPython method it
// skips pybind11's dispatch, which costs more than a short formula.
PyObject* EvaluateMethod(PyObject* self, PyObject* formula) {
  try {
    return EvaluatorOf(self)->Evaluate(formula).release().ptr();
  } catch (...) {
    SetErrorOfCurrentException();
  }
  return nullptr;
}

int Traverse(PyObject* self, visitproc visit, void* arg) {
  Py_VISIT(Py_TYPE(self));
  const Evaluator* evaluator = ConstructedEvaluator(self);
  return evaluator != nullptr ? evaluator->Traverse(visit, arg) : 0;
}

int Clear(PyObject* self) {
  if (Evaluator* evaluator = ConstructedEvaluator(self)) evaluator->ClearFunctions();
  return 0;
}

PyMethodDef evaluate_method = {"evaluate", &EvaluateMethod, METH_O,
                               "evaluate($self, formula, /)\n--\n\nEvaluates formula (a str) and returns its result (a str)."};

}  // namespace

PYBIND11_MODULE(_formel, m) {
  m.doc() = "The formel library's evaluator, for the formel package (use formel, not this module).";

  py::class_<Evaluator> evaluator(m, "Evaluator", py::custom_type_setup([](PyHeapTypeObject* heap) {
                                    heap->ht_type.tp_flags |= Py_TPFLAGS_HAVE_GC;
                                    heap->ht_type.tp_traverse = &Traverse;
                                    heap->ht_type.tp_clear = &Clear;
                                  }));
  evaluator
      .def(py::init<bool>(), py::arg("standard_functions") = false,
           "A new evaluator with no variables; with standard_functions, the library's standard functions.")
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
  const py::object evaluate = py::reinterpret_steal<py::object>(
      PyDescr_NewMethod(reinterpret_cast<PyTypeObject*>(evaluator.ptr()), &evaluate_method));
  if (!evaluate) throw py::error_already_set();
  py::setattr(evaluator, "evaluate", evaluate);

  m.def(
      "evaluate_records",
      [](const py::list& formulas, const py::list& names, const py::list& columns, std::size_t rows,
         const py::list& variables, int jobs, bool standardFunctions) {
        return formel_python::EvaluateRecords(formulas, {names, columns, rows}, variables, jobs, standardFunctions);
      },
      py::arg("formulas"), py::arg("names"), py::arg("columns"), py::arg("rows"), py::arg("variables"),
      py::arg("jobs"), py::arg("standard_functions"));
}
