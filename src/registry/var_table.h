// The VarTable: named text variables that formulas read as [name]. A name
// is kept in its matching form only (nothing reads its spelling); values
// exactly as given.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "frame/move_bytes.h"
#include "registry/named_table.h"
#include "text/numbers.h"

namespace formel {

// A variable's text, and the number it reads as when its writer knew it
// (a value set as a number): a loop that sets a number and evaluates
// then skips reading back the text it has just written. A value set as a
// float or an integer is written out only when its text is first read: a
// loop that feeds numbers and reads them as numbers never writes it.
class Variable {
 public:
  // number, when not null: what ReadPlain gives for text.
  explicit Variable(Text text, const PlainNumber* number = nullptr)
      : text_(std::move(text)), number_(number != nullptr ? *number : PlainNumber()), numberKnown_(number != nullptr) {}

  const Text& text() const {
    if (textPending_) WritePendingText();
    return text_;
  }

  // In the room the text already has when it fits; from may lie inside
  // it. number, when not null: what ReadPlain gives for from.
  void Assign(std::string_view from, const PlainNumber* number = nullptr) {
    Overwrite(text_, from);
    textPending_ = false;
    numberKnown_ = number != nullptr;
    if (number != nullptr) number_ = *number;
  }

  // value's FormatReal text, written when first read. The number it reads
  // as is known at once; its length is a bound until the text is written
  // (nothing measures a number's length but against the longest term).
  // The room is made here, so that reading the text later never allocates.
  void AssignReal(float value) {
    written_ = value;
    KeepPending(false, kRealTextMax, PlainOfReal(value, kRealTextMax));
  }

  // value's FormatInt text, written when first read, as AssignReal.
  void AssignInt(std::int32_t value) {
    writtenInt_ = value;
    KeepPending(true, kIntTextMax, PlainOfInt(value, kIntTextMax));
  }

  // Inlined: a loop reads it for every reference of every evaluation.
  [[gnu::always_inline]] PlainNumber Number() const { return numberKnown_ ? number_ : ReadPlain(text_); }

  // Room enough for its text, and the text written there: a pending one
  // straight from its number, which stays pending (a loop that hands a
  // number to a host function as text writes it once, not twice).
  std::size_t TextBound() const { return textPending_ ? (intPending_ ? kIntTextMax : kRealTextMax) : text_.size(); }
  [[gnu::always_inline]] std::size_t CopyText(char* out) const {
    if (!textPending_) {
      MoveBytes(out, text_.data(), text_.size());
      return text_.size();
    }
    return intPending_ ? FormatInt(writtenInt_, out) : FormatReal(written_, out);
  }

 private:
  // Out of line: text() is read in many places, and this rarely runs.
  void WritePendingText() const;
  // Out of line: once per variable, and the setters stay small.
  void MakeRoom(std::size_t bytes);
  void KeepPending(bool isInt, std::size_t room, PlainNumber number) {
    if (text_.capacity() < room) MakeRoom(room);
    intPending_ = isInt;
    number_ = number;
    numberKnown_ = true;
    textPending_ = true;
  }

  mutable Text text_;
  mutable PlainNumber number_;
  float written_ = 0;
  std::int32_t writtenInt_ = 0;
  bool intPending_ = false;  // the pending text is writtenInt_'s, else written_'s
  bool numberKnown_ = false;
  mutable bool textPending_ = false;
};

using VarTable = NamedTable<Variable>;

}  // namespace formel
