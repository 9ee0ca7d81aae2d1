#include "result_array.h"

namespace formel_python {

ResultArray::ResultArray(std::size_t formulas, std::size_t rows, std::size_t threads)
    : array_(py::dtype("O"), {formulas, rows}),
      items_(static_cast<PyObject**>(array_.mutable_data())),
      formulas_(formulas),
      rows_(rows),
      strs_(threads) {
  // A new object array holds nulls, or None in every item: then they are
  // let go of here, so that the threads only write.
  const std::size_t size = formulas * rows;
  if (size == 0 || items_[0] == nullptr) return;
  for (std::size_t i = 0; i < size; ++i) Py_CLEAR(items_[i]);
}

void ResultArray::Fill(ChunkResults& chunk, std::size_t firstRow, std::size_t thread) {
  ResultStrs& strs = strs_[thread];
  chunk.unmade.clear();
  chunk.sets.clear();
  for (std::size_t index = 0; index < chunk.ends.size(); ++index) chunk.sets.push_back(strs.Locate(chunk.At(index)));
  for (std::size_t index = 0, row = firstRow; index < chunk.ends.size(); ++row) {
    for (std::size_t f = 0; f < formulas_; ++f, ++index) {
      PyObject* str = strs.Found(chunk.At(index), chunk.sets[index]);
      if (str == nullptr) chunk.unmade.push_back(index);
      items_[f * rows_ + row] = str;
    }
  }
  if (chunk.unmade.empty()) return;
  const py::gil_scoped_acquire gil;
  for (const std::size_t index : chunk.unmade) Item(index, firstRow) = strs.Make(chunk.At(index));
}

const py::array& ResultArray::Finish() {
  for (ResultStrs& strs : strs_) strs.Settle();
  return array_;
}

}  // namespace formel_python
