// The VarTable: named text variables that formulas read as [name]. Names
// are stored with their blanks trimmed; values exactly as given.
#pragma once

#include "registry/named_table.h"

namespace formel {

using VarTable = NamedTable<Text>;

}  // namespace formel
