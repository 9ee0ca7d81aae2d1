// The standard functions: ordinary host functions, registered through
// formel_set_function on the evaluator that asks for them. Each returns its
// text in the evaluator's own buffer (the user pointer), which the library
// copies at once. Their contract is in formel_evaluator.h.
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "api/evaluator.h"
#include "api/standard_numbers.h"
#include "formel_evaluator.h"

namespace formel {

namespace {

using Args = const char* const*;

// No exception may reach the library: a failure returns null (the empty text).
template <class Body>
const char* Return(void* user, Body&& body) noexcept {
  try {
    Text& out = *static_cast<Text*>(user);
    out.clear();
    body(out);
    return out.c_str();
  } catch (...) {
    return nullptr;
  }
}

// A text result as a quoted literal, so that the formula keeps it as text: a
// bare B would be read as the binary literal 0, a bare 1e5 as 1 and 5.
void AppendAsText(std::string_view text, Text& out) {
  out.push_back('"');
  for (const char c : text) out.append(c == '"' ? 2 : 1, c);
  out.push_back('"');
}

// An argument handed back: bare when it is a plain decimal number, else as text.
void AppendAsValue(std::string_view text, Text& out) {
  if (IsPlainNumber(text)) {
    out.append(text);
  } else {
    AppendAsText(text, out);
  }
}

std::string_view Bytes(std::string_view text, long long start, long long count) {
  if (count <= 0 || start >= static_cast<long long>(text.size())) return {};
  return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

// The argument that wins against all others (ties: the first); empty
// arguments take no part.
template <class Better>
const char* Extreme(void* user, int argc, Args argv, Better better) {
  return Return(user, [&](Text& out) {
    const char* best = nullptr;
    for (int i = 0; i < argc; ++i) {
      const char* a = argv[i];
      if (*a != '\0' && (best == nullptr || better(ReadNumber(a), ReadNumber(best)))) best = a;
    }
    if (best != nullptr) AppendAsValue(best, out);
  });
}

const char* FORMEL_CALL Min(void* user, int argc, Args argv) {
  return Extreme(user, argc, argv, [](double x, double y) { return x < y; });
}

const char* FORMEL_CALL Max(void* user, int argc, Args argv) {
  return Extreme(user, argc, argv, [](double x, double y) { return x > y; });
}

const char* FORMEL_CALL Abs(void* user, int, Args argv) {
  return Return(user, [&](Text& out) { out.append(WriteNumber(std::fabs(ReadNumber(argv[0])))); });
}

const char* FORMEL_CALL Sqrt(void* user, int, Args argv) {
  return Return(user, [&](Text& out) { out.append(WriteNumber(std::sqrt(ReadNumber(argv[0])))); });
}

// Values carry six decimals at most; snapping to them first keeps 2.675 at
// 2.675 instead of the binary 2.67499999.
const char* FORMEL_CALL Round(void* user, int, Args argv) {
  return Return(user, [&](Text& out) {
    const long long places = std::clamp(ReadWholeNumber(argv[1]), 0LL, 6LL);
    const double scale = std::pow(10.0, static_cast<double>(places));
    const double snap = std::pow(10.0, static_cast<double>(6 - places));
    const double scaled = std::round(ReadNumber(argv[0]) * scale * snap) / snap;
    out.append(WriteNumber(std::round(scaled) / scale));
  });
}

const char* FORMEL_CALL Len(void* user, int, Args argv) {
  return Return(user, [&](Text& out) { out.append(std::to_string(std::string_view(argv[0]).size())); });
}

// ASCII letters only: any other byte may be part of a UTF-8 sequence.
template <char From, char To>
const char* MapLetters(void* user, Args argv) {
  return Return(user, [&](Text& out) {
    std::string text(argv[0]);
    for (char& c : text) {
      if (c >= From && c <= From + 25) c = static_cast<char>(c - From + To);
    }
    AppendAsText(text, out);
  });
}

const char* FORMEL_CALL Upper(void* user, int, Args argv) { return MapLetters<'a', 'A'>(user, argv); }
const char* FORMEL_CALL Lower(void* user, int, Args argv) { return MapLetters<'A', 'a'>(user, argv); }

const char* FORMEL_CALL Left(void* user, int, Args argv) {
  return Return(user, [&](Text& out) { AppendAsText(Bytes(argv[0], 0, ReadWholeNumber(argv[1])), out); });
}

const char* FORMEL_CALL Right(void* user, int, Args argv) {
  return Return(user, [&](Text& out) {
    const std::string_view t(argv[0]);
    const long long count = std::min(ReadWholeNumber(argv[1]), static_cast<long long>(t.size()));
    AppendAsText(Bytes(t, static_cast<long long>(t.size()) - count, count), out);
  });
}

const char* FORMEL_CALL Mid(void* user, int, Args argv) {
  return Return(user, [&](Text& out) {
    const long long from = std::max(ReadWholeNumber(argv[1]), 1LL) - 1;
    AppendAsText(Bytes(argv[0], from, ReadWholeNumber(argv[2])), out);
  });
}

const char* FORMEL_CALL Trim(void* user, int, Args argv) {
  return Return(user, [&](Text& out) {
    const std::string_view t(argv[0]);
    const std::size_t first = t.find_first_not_of(' ');
    if (first == std::string_view::npos) return AppendAsText("", out);
    AppendAsText(t.substr(first, t.find_last_not_of(' ') - first + 1), out);
  });
}

const char* FORMEL_CALL If(void* user, int, Args argv) {
  return Return(user, [&](Text& out) { AppendAsValue(ReadNumber(argv[0]) != 0.0 ? argv[1] : argv[2], out); });
}

struct Standard {
  const char* name;
  int paramCount;
  int required;  // fewer arguments are reported to the observer
  formel_function function;
};

constexpr Standard kStandard[] = {
    {"min", 10, 1, Min},    {"max", 10, 1, Max},     {"abs", 1, 1, Abs},
    {"sqrt", 1, 1, Sqrt},   {"round", 2, 1, Round},  {"len", 1, 1, Len},
    {"upper", 1, 1, Upper}, {"lower", 1, 1, Lower},  {"left", 2, 2, Left},
    {"right", 2, 2, Right}, {"mid", 3, 3, Mid},      {"trim", 1, 1, Trim},
    {"if", 3, 3, If},
};

}  // namespace

}  // namespace formel

extern "C" FORMEL_API int FORMEL_CALL formel_register_standard_functions(formel_evaluator* ev) {
  if (ev == nullptr) return 0;
  for (const formel::Standard& s : formel::kStandard) {
    const formel::FuncInfo info{0, s.function, &ev->standardResult, s.paramCount, s.required};
    if (formel::SetFunction(ev, s.name, info) == 0) return 0;
  }
  return 1;
}
