#include "evaluator.h"

#include <new>
#include <string_view>
#include <utility>

#include "python_errors.h"
#include "texts.h"

namespace formel_python {

struct Evaluator::HostEntry {
  Evaluator* owner;
  std::string name;
  py::object function;
  std::string result;  // the last returned text: the library copies it at once
};

struct Evaluator::Call {
  std::vector<Event>* events;   // null unless this call collects them
  py::object error;             // the first exception of a host function
  std::string errorFunction;    // the function that raised it
};

// Blocking on the lock while holding the GIL would stop the thread that
// holds the lock as soon as a host function of its needs the GIL.
class Evaluator::Lock {
 public:
  explicit Lock(std::recursive_mutex& mutex) : mutex_(mutex) {
    if (mutex_.try_lock()) return;
    py::gil_scoped_release release;
    mutex_.lock();
  }
  ~Lock() { mutex_.unlock(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  std::recursive_mutex& mutex_;
};

// While a call is in progress: it is the current one, and the observer is
// installed when it collects events.
class Evaluator::Observing {
 public:
  Observing(Evaluator& self, Call& call) : self_(self), outer_(std::exchange(self.current_, &call)) {
    if (call.events != nullptr && self_.observing_++ == 0) formel_set_observer(self_.ev_, &Observe, &self_);
    collects_ = call.events != nullptr;
  }
  ~Observing() {
    if (collects_ && --self_.observing_ == 0) formel_set_observer(self_.ev_, nullptr, nullptr);
    self_.current_ = outer_;
    if (outer_ == nullptr) self_.retired_.clear();
  }
  Observing(const Observing&) = delete;
  Observing& operator=(const Observing&) = delete;

 private:
  Evaluator& self_;
  Call* outer_;
  bool collects_ = false;
};

namespace {

std::string ViewOf(formel_text text) { return std::string(text.data, text.size); }

// The Python error now set, normalized, taken off the error indicator.
py::object FetchError() {
  PyObject *type = nullptr, *value = nullptr, *trace = nullptr;
  PyErr_Fetch(&type, &value, &trace);
  PyErr_NormalizeException(&type, &value, &trace);
  if (trace != nullptr && value != nullptr) PyException_SetTraceback(value, trace);
  Py_XDECREF(type);
  Py_XDECREF(trace);
  return py::reinterpret_steal<py::object>(value);
}

py::object ResultOf(const py::object& function, int argc, const char* const* argv) {
  py::tuple args(argc);
  for (int i = 0; i < argc; ++i) args[static_cast<std::size_t>(i)] = StrOf(argv[i]);
  return function(*args);
}

}  // namespace

Evaluator::Evaluator(bool standardFunctions) : ev_(formel_new()), names_(formel_new()) {
  if (ev_ == nullptr || names_ == nullptr || (standardFunctions && formel_register_standard_functions(ev_) == 0)) {
    formel_free(ev_);
    formel_free(names_);
    throw std::bad_alloc();
  }
}

Evaluator::~Evaluator() {
  formel_free(ev_);
  formel_free(names_);
}

const char* Evaluator::CallHost(void* user, int argc, const char* const* argv) noexcept {
  auto& entry = *static_cast<HostEntry*>(user);
  py::gil_scoped_acquire gil;
  try {
    const py::object returned = ResultOf(entry.function, argc, argv);
    if (returned.is_none()) return nullptr;
    std::string text;
    if (!ValueText(returned, "the result of a host function", text)) {
      throw py::type_error("host function '" + entry.name + "' returned " + TypeName(returned) +
                           "; it must return str, a number or None");
    }
    entry.result = std::move(text);
    return entry.result.c_str();
  } catch (...) {
    SetErrorOfCurrentException();
  }
  py::object error = FetchError();
  Call* call = entry.owner->current_;
  if (call != nullptr && !call->error) {
    call->error = std::move(error);
    call->errorFunction = entry.name;
  }
  return nullptr;
}

void Evaluator::Observe(void* user, const formel_event* e) noexcept {
  Call* call = static_cast<Evaluator*>(user)->current_;
  // Events of evaluations that a host function started belong to them.
  if (call == nullptr || call->events == nullptr) return;
  try {
    call->events->push_back({e->kind, e->depth, ViewOf(e->name), ViewOf(e->before), ViewOf(e->after), e->start, e->end});
  } catch (...) {
    // Out of memory: the list misses events, the result stands.
  }
}

py::str Evaluator::Run(py::handle formula, std::vector<Event>* events) {
  const TextArgument text(formula, "formula");
  Call call{events, {}, {}};
  Lock lock(mutex_);
  py::str result;
  {
    Observing observing(*this, call);
    result = StrOf(formel_evaluate(ev_, text.c_str()));
  }
  if (call.error) {
    const std::string note = "raised in host function '" + call.errorFunction + "' while evaluating the formula " +
                             py::repr(formula).cast<std::string>();
    if (py::hasattr(call.error, "add_note")) call.error.attr("add_note")(note);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(call.error.ptr())), call.error.ptr());
    throw py::error_already_set();
  }
  return result;
}

py::str Evaluator::Evaluate(py::handle formula) { return Run(formula, nullptr); }

py::tuple Evaluator::Check(py::handle formula) {
  std::vector<Event> events;
  py::str result = Run(formula, &events);
  py::list findings;
  for (const Event& e : events) {
    if (e.kind != FORMEL_EVENT_FINDING) continue;
    findings.append(py::make_tuple(StrOf(e.name), StrOf(e.after), e.start, e.end));
  }
  return py::make_tuple(result, findings);
}

py::tuple Evaluator::Trace(py::handle formula) {
  std::vector<Event> events;
  py::str result = Run(formula, &events);
  py::list list;
  for (const Event& e : events) {
    const char* kind = e.kind == FORMEL_EVENT_STAGE ? "stage" : e.kind == FORMEL_EVENT_GROUP ? "group" : "finding";
    list.append(py::make_tuple(kind, e.depth, StrOf(e.name), StrOf(e.before), StrOf(e.after), e.start, e.end));
  }
  return py::make_tuple(result, list);
}

// The library reads an unset variable and one set to "" alike; only
// removing tells them apart, and a removed "" is set again.
bool Evaluator::IsSet(const std::string& name) {
  if (*formel_get_var(ev_, name.c_str()) != '\0') return true;
  if (formel_remove_var(ev_, name.c_str()) == 0) return false;
  if (formel_set_var(ev_, name.c_str(), "") == 0) throw std::bad_alloc();
  return true;
}

void Evaluator::SetItem(py::handle name, py::handle value) {
  const std::string key = BytesOf(name, "variable name");
  std::string text;
  if (!ValueText(value, "variable value", text)) {
    throw py::type_error("a variable's value must be str or a number, not " + TypeName(value));
  }
  Lock lock(mutex_);
  if (formel_set_var(ev_, key.c_str(), text.c_str()) == 0) throw std::bad_alloc();
}

py::str Evaluator::GetItem(py::handle name) {
  const std::string key = BytesOf(name, "variable name");
  Lock lock(mutex_);
  if (!IsSet(key)) throw py::key_error(py::repr(name).cast<std::string>());
  return StrOf(formel_get_var(ev_, key.c_str()));
}

void Evaluator::DelItem(py::handle name) {
  const std::string key = BytesOf(name, "variable name");
  Lock lock(mutex_);
  if (formel_remove_var(ev_, key.c_str()) == 0) throw py::key_error(py::repr(name).cast<std::string>());
}

bool Evaluator::Contains(py::handle name) {
  if (!PyUnicode_Check(name.ptr())) return false;
  const std::string key = BytesOf(name, "variable name");
  Lock lock(mutex_);
  return IsSet(key);
}

void Evaluator::Clear() {
  Lock lock(mutex_);
  formel_clear_vars(ev_);
}

void Evaluator::Retire(std::unique_ptr<HostEntry> entry) {
  if (entry == nullptr) return;
  if (current_ != nullptr) {
    retired_.push_back(std::move(entry));
  }
}

void Evaluator::SetFunction(py::handle name, int params, py::object function) {
  const std::string key = BytesOf(name, "function name");
  if (params < 0 || params > 10) throw py::value_error("a host function takes 0 to 10 parameters, not " + std::to_string(params));
  if (!PyCallable_Check(function.ptr())) throw py::type_error("a host function must be callable, not " + TypeName(function));
  Lock lock(mutex_);
  auto entry = std::make_unique<HostEntry>(HostEntry{this, key, std::move(function), {}});
  if (formel_set_function(ev_, key.c_str(), params, &CallHost, entry.get()) == 0) throw std::bad_alloc();
  const std::string index = formel_get_var(names_, key.c_str());
  if (!index.empty()) {
    Retire(std::exchange(entries_[std::stoul(index)], std::move(entry)));
    return;
  }
  entries_.push_back(std::move(entry));
  if (formel_set_var(names_, key.c_str(), std::to_string(entries_.size() - 1).c_str()) == 0) throw std::bad_alloc();
}

bool Evaluator::RemoveFunction(py::handle name) {
  const std::string key = BytesOf(name, "function name");
  Lock lock(mutex_);
  if (formel_remove_function(ev_, key.c_str()) == 0) return false;
  const std::string index = formel_get_var(names_, key.c_str());
  if (!index.empty()) {
    Retire(std::move(entries_[std::stoul(index)]));
    formel_remove_var(names_, key.c_str());
  }
  return true;
}

void Evaluator::ClearFunctions() {
  Lock lock(mutex_);
  formel_clear_functions(ev_);
  formel_clear_vars(names_);
  for (auto& entry : entries_) Retire(std::move(entry));
  entries_.clear();
}

int Evaluator::Traverse(visitproc visit, void* arg) const {
  for (const auto* entries : {&entries_, &retired_}) {
    for (const auto& entry : *entries) {
      if (entry != nullptr) Py_VISIT(entry->function.ptr());
    }
  }
  return 0;
}

}  // namespace formel_python
