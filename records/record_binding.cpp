#include "records/record_binding.h"

#include <new>

namespace formel_records {

RecordBinding::RecordBinding(formel_evaluator* ev, const std::vector<const std::string*>& columns,
                             const std::vector<std::string>& formulas,
                             const std::vector<const std::string*>& assigned)
    : ev_(ev) {
  for (const std::string* name : columns) columns_.push_back(NewSlot(ev, *name));
  for (const std::string& formula : formulas) {
    formulas_.emplace_back(formel_prepare(ev, formula.c_str()));
    if (formulas_.back() == nullptr) throw std::bad_alloc();
  }
  for (const std::string* name : assigned) assigned_.push_back(name == nullptr ? Slot() : NewSlot(ev, *name));
}

RecordBinding::Slot RecordBinding::NewSlot(formel_evaluator* ev, const std::string& name) {
  Slot slot(formel_slot_new(ev, name.c_str()));
  if (slot == nullptr) throw std::bad_alloc();
  return slot;
}

void RecordBinding::Set(formel_slot* slot, std::string_view value) {
  if (formel_slot_set_text(slot, value.data(), value.size()) == 0) throw std::bad_alloc();
}

void RecordBinding::SetColumn(std::size_t column, std::string_view field) const {
  Set(columns_[column].get(), field);
}

void RecordBinding::Assign(std::size_t formula, std::string_view value) const {
  Set(assigned_[formula].get(), value);
}

}  // namespace formel_records
