// The VarTable: named text variables that formulas read as [name]. A name
// is kept in its matching form only (nothing reads its spelling); values
// exactly as given.
#pragma once

#include <string_view>
#include <utility>

#include "registry/named_table.h"
#include "text/numbers.h"

namespace formel {

// A variable's text, and the number it reads as when its writer knew it
// (a value set as a number): a loop that sets a number and evaluates
// then skips reading back the text it has just written.
class Variable {
 public:
  // number, when not null: what ReadPlain gives for text.
  explicit Variable(Text text, const PlainNumber* number = nullptr)
      : text_(std::move(text)), number_(number != nullptr ? *number : PlainNumber()), numberKnown_(number != nullptr) {}

  const Text& text() const { return text_; }

  // In the room the text already has when it fits; from may lie inside
  // it. number, when not null: what ReadPlain gives for from.
  void Assign(std::string_view from, const PlainNumber* number = nullptr) {
    Overwrite(text_, from);
    numberKnown_ = number != nullptr;
    if (number != nullptr) number_ = *number;
  }

  PlainNumber Number() const { return numberKnown_ ? number_ : ReadPlain(text_); }

 private:
  Text text_;
  PlainNumber number_;
  bool numberKnown_ = false;
};

using VarTable = NamedTable<Variable>;

}  // namespace formel
