// C++ exceptions become Python errors where C++ code returns to Python or
// to the library: nothing may unwind through either.
#pragma once

namespace formel_python {

// Inside a catch block: sets the Python error of the exception being
// handled (a Python error as it was, pybind11's as their Python types,
// std::bad_alloc as MemoryError, anything else as RuntimeError).
void SetErrorOfCurrentException() noexcept;

}  // namespace formel_python
