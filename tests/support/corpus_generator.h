// A seeded generator of formulas that reach every stage and operator:
// numbers in every form, base-suffixed literals, quoted literals (with
// doubled quotes and operator characters inside), variables, host calls,
// nested groups, all sixteen operators, sign runs, blanks, and the
// unbalanced brackets and quotes that pass through as text. The same seed
// gives the same formulas on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace formel_test {

// The tables the generated formulas refer to.
std::vector<std::pair<std::string, std::string>> GeneratedVariables();
std::vector<std::pair<std::string, std::string>> GeneratedFunctions();  // name, host impl

// count short and medium formulas.
std::vector<std::string> GenerateFormulas(std::uint64_t seed, int count);
// Long formulas: chains of every operator, growing concatenations, deep
// nesting around the nesting limit.
std::vector<std::string> GenerateLongFormulas(std::uint64_t seed);

}  // namespace formel_test
