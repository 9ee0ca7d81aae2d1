#include "support/hostile_shapes.h"

namespace formel_test {

namespace {

std::string Repeat(const std::string& unit, std::size_t times) {
  std::string out;
  out.reserve(unit.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

std::string Around(const std::string& open, const std::string& inside, const std::string& close,
                   std::size_t levels) {
  return Repeat(open, levels) + inside + Repeat(close, levels);
}

}  // namespace

std::vector<HostileShape> HostileShapes(std::size_t bytes) {
  std::string literal(bytes > 700 ? bytes - 700 : 3, 'x');
  literal.front() = literal.back() = '"';
  return {
      {"nested_parens", Around("(", "1", ")", bytes / 2)},
      {"nested_calls", Around("f(", "1", ")", bytes / 3)},
      {"groups_around_literal", Around("(", literal, ")", 300)},
      {"joins_around_literal", Around("(", literal, "&\"\")", 150)},
      {"open_parens", std::string(bytes, '(')},
      {"number_then_open_parens", std::string("1").append(bytes - 1, '(')},
      {"quote_run", std::string(bytes, '"')},
      {"nested_brackets", Around("[", "x", "]", bytes / 2)},
      {"open_brackets", std::string(bytes, '[')},
      {"joins_after_minus", std::string("-1").append(Repeat("&1", bytes / 2 - 1))},
  };
}

std::string FlatSumOf(std::size_t bytes) {
  std::string sum("1");
  sum.append(Repeat("+1", bytes / 2));
  return sum;
}

}  // namespace formel_test
