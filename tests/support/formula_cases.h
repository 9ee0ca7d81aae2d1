// Reads the shared file of formula cases. Every suite that evaluates whole
// formulas (library, Windows host, command-line program) runs this file.
//
// Format: one item per line, a keyword and tab-separated fields. A case
// starts at "case <name>"; "var <name> <value>" and "func <name> <impl>"
// set up the tables; "formula <text>" and "expect <text>" give the formula
// and its result. Fields take the escapes \s (blank), \t, \n, \r, \\ and \xHH,
// so that blanks at the ends of a text stay visible; a backslash before any
// other character is itself ("7\2" is 7, backslash, 2). Lines starting with #
// are comments.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace formel_test {

struct FormulaCase {
  std::string name;
  int line = 0;
  std::vector<std::pair<std::string, std::string>> vars;
  std::vector<std::pair<std::string, std::string>> funcs;  // name, host impl
  std::string formula;
  std::string expect;
};

// For test output: the case's name and line.
inline void PrintTo(const FormulaCase& c, std::ostream* os) { *os << c.name << " (line " << c.line << ")"; }

// Throws std::runtime_error on a malformed file.
std::vector<FormulaCase> ReadFormulaCases(const std::string& path);

std::string Unescape(const std::string& field);

// The fields of a line of a data file: the text between tabs.
std::vector<std::string> SplitTabs(const std::string& line);
// The inverse of Unescape: every backslash, control byte, byte above 126
// and blank at either end is written as an escape.
std::string Escape(const std::string& text);

}  // namespace formel_test
