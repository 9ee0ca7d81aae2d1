// A formula evaluated again and again while its variables change, such as
// "[x]*[x]+2*[x]-1". When it has no "(" and its references hold no "[",
// substitution only puts each variable's value where its reference stands;
// with values that are plain numbers they go in as they stand. The
// evaluator keeps the last such formula with where its references stand
// and which table entries they found, so that the next evaluation of the
// same text builds the substituted text without matching brackets or
// looking names up again, and hands it to plain arithmetic. Anything else
// (a value that is not a plain number, a text that is not plain
// arithmetic) goes the general way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string_view>
#include <vector>

#include "frame/private_text.h"
#include "registry/var_table.h"

namespace formel {

struct EvalContext;

class RepeatedFormula {
 public:
  explicit RepeatedFormula(std::pmr::memory_resource* heap)
      : formula_(heap), references_(heap), values_(heap) {}

  // The result of formula (which holds a "[" and no "(") written at the
  // workspace write position, or nullopt (nothing written). Only for an
  // outermost formula, observer off.
  std::optional<std::string_view> Evaluate(EvalContext& ctx, std::string_view formula);

 private:
  struct Reference {
    std::uint32_t open;   // index of its "["
    std::uint32_t close;  // index of its "]"
  };

  bool Learn(EvalContext& ctx, std::string_view formula);
  void LookUp(EvalContext& ctx, std::string_view formula);

  Text formula_;  // empty: nothing learnt
  std::pmr::vector<Reference> references_;
  std::pmr::vector<const Variable*> values_;  // the entry each reference found, or null
  std::uint64_t generation_ = 0;          // of the variable table when they were found
};

}  // namespace formel
