#include "result_array.h"

#include <algorithm>

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
  // Each text is located a few texts ahead of its lookup.
  constexpr std::size_t kAhead = 8;
  Thread& own = threads_[thread];
  const std::size_t count = chunk.ends.size();
  ResultStrs::Place places[kAhead];
  for (std::size_t index = 0; index < std::min(kAhead, count); ++index) own.strs.Locate(chunk.At(index), places[index]);
  for (std::size_t index = 0, row = firstRow; index < count; ++row) {
    for (std::size_t f = 0; f < formulas_; ++f, ++index) {
      ResultStrs::Place& place = places[index % kAhead];
      PyObject** item = &items_[f * rows_ + row];
      *item = own.strs.Found(place);
      if (*item == nullptr) {
        own.texts += chunk.At(index);
        own.unmade.emplace_back(item, own.texts.size());
      }
      if (index + kAhead < count) own.strs.Locate(chunk.At(index + kAhead), place);
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
