// A table's columns and formulas bound to one library evaluator for a run:
// a slot per column set as a variable and per assigned name, and a
// prepared handle per formula. A record then sets its fields and runs its
// formulas without a name looked up or a formula text copied and compared.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formel_prepared.h"

namespace formel_records {

class RecordBinding {
 public:
  // columns: the variables' names, in the order SetColumn numbers them;
  // assigned: per formula, the name it assigns, or null. The handles are
  // made from ev, which must outlive the binding. Throws std::bad_alloc.
  RecordBinding(formel_evaluator* ev, const std::vector<const std::string*>& columns,
                const std::vector<std::string>& formulas, const std::vector<const std::string*>& assigned);

  formel_evaluator* Evaluator() const { return ev_; }

  // Throw std::bad_alloc.
  void SetColumn(std::size_t column, std::string_view field) const;
  void Assign(std::size_t formula, std::string_view value) const;
  // The result, which lives until the next call on the evaluator; setting
  // a slot is not such a call.
  const char* Run(std::size_t formula) const { return formel_run(formulas_[formula].get()); }

 private:
  struct FreeSlot {
    void operator()(formel_slot* slot) const { formel_slot_free(slot); }
  };
  struct FreePrepared {
    void operator()(formel_prepared* prepared) const { formel_prepared_free(prepared); }
  };
  using Slot = std::unique_ptr<formel_slot, FreeSlot>;

  static Slot NewSlot(formel_evaluator* ev, const std::string& name);
  static void Set(formel_slot* slot, std::string_view value);

  formel_evaluator* ev_;
  std::vector<Slot> columns_;
  std::vector<std::unique_ptr<formel_prepared, FreePrepared>> formulas_;
  std::vector<Slot> assigned_;  // per formula; null when it assigns nothing
};

}  // namespace formel_records
