// The VarTable: named text variables that formulas read as [name]. A name
// is kept in its matching form only (nothing reads its spelling); values
// exactly as given.
#pragma once

#include "registry/named_table.h"

namespace formel {

using VarTable = NamedTable<Text>;

}  // namespace formel
