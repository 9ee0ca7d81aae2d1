#include "stock_functions.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "formel.h"
#include "number_text.h"

namespace formel_cli {

namespace {

using Arg = const char*;

// The library copies a returned text at once, so one buffer serves all.
std::string gReturned;

// No exception may reach the library: a failure returns null (the empty text).
template <class Body>
const char* Return(Body&& body) noexcept {
  try {
    gReturned = body();
    return gReturned.c_str();
  } catch (...) {
    return nullptr;
  }
}

// A text result as a quoted literal, so that the formula keeps it as text: a
// bare B would be read as the binary literal 0, a bare 1e5 as 1 and 5.
std::string AsText(std::string_view text) {
  std::string literal = "\"";
  for (const char c : text) literal.append(c == '"' ? 2 : 1, c);
  return literal + "\"";
}

// An argument handed back: bare when it is a plain decimal number, else as text.
std::string AsValue(std::string_view text) { return IsPlainNumber(text) ? std::string(text) : AsText(text); }

std::string_view Bytes(std::string_view text, long long start, long long count) {
  if (count <= 0 || start >= static_cast<long long>(text.size())) return {};
  return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

// The argument that wins against all others (ties: the first); empty
// arguments take no part.
template <class Better>
const char* Extreme(std::initializer_list<Arg> args, Better better) {
  return Return([&] {
    Arg best = nullptr;
    for (Arg a : args) {
      if (*a != '\0' && (best == nullptr || better(ReadNumber(a), ReadNumber(best)))) best = a;
    }
    return best == nullptr ? std::string() : AsValue(best);
  });
}

const char* FORMEL_CALL Min(Arg a, Arg b, Arg c, Arg d, Arg e, Arg f, Arg g, Arg h, Arg i, Arg j) {
  return Extreme({a, b, c, d, e, f, g, h, i, j}, [](double x, double y) { return x < y; });
}

const char* FORMEL_CALL Max(Arg a, Arg b, Arg c, Arg d, Arg e, Arg f, Arg g, Arg h, Arg i, Arg j) {
  return Extreme({a, b, c, d, e, f, g, h, i, j}, [](double x, double y) { return x > y; });
}

const char* FORMEL_CALL Abs(Arg x) {
  return Return([&] { return WriteNumber(std::fabs(ReadNumber(x))); });
}

const char* FORMEL_CALL Sqrt(Arg x) {
  return Return([&] { return WriteNumber(std::sqrt(ReadNumber(x))); });
}

// Values carry six decimals at most; snapping to them first keeps 2.675 at
// 2.675 instead of the binary 2.67499999.
const char* FORMEL_CALL Round(Arg x, Arg digits) {
  return Return([&] {
    const long long places = std::clamp(ReadWholeNumber(digits), 0LL, 6LL);
    const double scale = std::pow(10.0, static_cast<double>(places));
    const double snap = std::pow(10.0, static_cast<double>(6 - places));
    const double scaled = std::round(ReadNumber(x) * scale * snap) / snap;
    return WriteNumber(std::round(scaled) / scale);
  });
}

const char* FORMEL_CALL Len(Arg text) {
  return Return([&] { return std::to_string(std::string_view(text).size()); });
}

// The same letters the library folds when it matches names.
const char* FORMEL_CALL Upper(Arg text) {
  return Return([&] {
    std::string out(text);
    for (char& c : out) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte >= 'a' && byte <= 'z') || byte >= 0xE0) c = static_cast<char>(byte - 32);
    }
    return AsText(out);
  });
}

const char* FORMEL_CALL Lower(Arg text) {
  return Return([&] {
    std::string out(text);
    for (char& c : out) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDF)) c = static_cast<char>(byte + 32);
    }
    return AsText(out);
  });
}

const char* FORMEL_CALL Left(Arg text, Arg n) {
  return Return([&] { return AsText(Bytes(text, 0, ReadWholeNumber(n))); });
}

const char* FORMEL_CALL Right(Arg text, Arg n) {
  return Return([&] {
    const std::string_view t(text);
    const long long count = std::min(ReadWholeNumber(n), static_cast<long long>(t.size()));
    return AsText(Bytes(t, static_cast<long long>(t.size()) - count, count));
  });
}

const char* FORMEL_CALL Mid(Arg text, Arg start, Arg n) {
  return Return([&] {
    const long long from = std::max(ReadWholeNumber(start), 1LL) - 1;
    return AsText(Bytes(text, from, ReadWholeNumber(n)));
  });
}

const char* FORMEL_CALL Trim(Arg text) {
  return Return([&] {
    const std::string_view t(text);
    const std::size_t first = t.find_first_not_of(' ');
    if (first == std::string_view::npos) return AsText("");
    return AsText(t.substr(first, t.find_last_not_of(' ') - first + 1));
  });
}

const char* FORMEL_CALL If(Arg condition, Arg then, Arg otherwise) {
  return Return([&] { return AsValue(ReadNumber(condition) != 0.0 ? then : otherwise); });
}

template <class F>
FormelCallID Id(F function) {
  return reinterpret_cast<FormelCallID>(function);
}

struct Stock {
  const char* name;
  FormelInt paramCount;
  FormelCallID id;
};

}  // namespace

void RegisterStockFunctions() {
  const Stock stock[] = {
      {"min", 10, Id(Min)},    {"max", 10, Id(Max)},     {"abs", 1, Id(Abs)},
      {"sqrt", 1, Id(Sqrt)},   {"round", 2, Id(Round)},  {"len", 1, Id(Len)},
      {"upper", 1, Id(Upper)}, {"lower", 1, Id(Lower)},  {"left", 2, Id(Left)},
      {"right", 2, Id(Right)}, {"mid", 3, Id(Mid)},      {"trim", 1, Id(Trim)},
      {"if", 3, Id(If)},
  };
  for (const Stock& s : stock) SetFunc(s.name, s.paramCount, s.id);
}

}  // namespace formel_cli
