#include "result_array.h"

namespace formel_python {

ResultArray::ResultArray(std::size_t formulas, std::size_t rows, std::size_t threads)
    : array_(py::dtype("O"), {formulas, rows}),
      items_(static_cast<PyObject**>(array_.mutable_data())),
      formulas_(formulas),
      rows_(rows),
      threads_(threads) {
  // A new object array holds nulls, or None in every item: then they are
  // let go of here, so that the threads only write.
  const std::size_t size = formulas * rows;
  if (size == 0 || items_[0] == nullptr) return;
  for (std::size_t i = 0; i < size; ++i) Py_CLEAR(items_[i]);
}

void ResultArray::Fill(const ChunkResults& chunk, std::size_t firstRow, std::size_t thread) {
  Thread& own = threads_[thread];
  own.sets.clear();
  for (std::size_t index = 0; index < chunk.ends.size(); ++index) own.sets.push_back(own.strs.Locate(chunk.At(index)));
  for (std::size_t index = 0, row = firstRow; index < chunk.ends.size(); ++row) {
    for (std::size_t f = 0; f < formulas_; ++f, ++index) {
      PyObject** item = &items_[f * rows_ + row];
      const std::string_view text = chunk.At(index);
      *item = own.strs.Found(text, own.sets[index]);
      if (*item == nullptr) {
        own.texts += text;
        own.unmade.emplace_back(item, own.texts.size());
      }
    }
  }
}

void ResultArray::MakeUnmade(std::size_t thread) {
  Thread& own = threads_[thread];
  std::size_t start = 0;
  for (const auto& [item, end] : own.unmade) {
    *item = own.strs.Make(std::string_view(own.texts).substr(start, end - start));
    start = end;
  }
  own.unmade.clear();
  own.texts.clear();
}

const py::array& ResultArray::Finish() {
  for (Thread& thread : threads_) thread.strs.Settle();
  return array_;
}

}  // namespace formel_python
