#include "support/host_functions.h"

#include <charconv>
#include <cstring>
#include <initializer_list>

namespace formel_test {

namespace {

thread_local FormelEntry tFormel = nullptr;
thread_local formel_evaluator* tEvaluator = nullptr;
thread_local EvaluatorEntry tEvaluate = nullptr;
thread_local std::string tBuffer;  // what the impls return lives here until the next call

const char* Keep(std::string text) {
  tBuffer = std::move(text);
  return tBuffer.c_str();
}

double Number(const char* text) {
  double value = 0;
  const char* end = text + std::strlen(text);
  if (*text == '+') ++text;
  std::from_chars(text, end, value);
  return value;
}

// "{a|b|c}": shows exactly which arguments arrived.
const char* Show(std::initializer_list<const char*> args) {
  std::string out = "{";
  bool first = true;
  for (const char* a : args) {
    if (!first) out += "|";
    out += a;
    first = false;
  }
  return Keep(out + "}");
}

const char* FORMEL_CALL Show0() { return Show({}); }
const char* FORMEL_CALL Show1(const char* a) { return Show({a}); }
const char* FORMEL_CALL Show2(const char* a, const char* b) { return Show({a, b}); }
const char* FORMEL_CALL Show3(const char* a, const char* b, const char* c) { return Show({a, b, c}); }
const char* FORMEL_CALL Show10(const char* a, const char* b, const char* c, const char* d,
                               const char* e, const char* f, const char* g, const char* h,
                               const char* i, const char* j) {
  return Show({a, b, c, d, e, f, g, h, i, j});
}
const char* FORMEL_CALL Max(const char* a, const char* b) { return Number(a) >= Number(b) ? a : b; }
const char* FORMEL_CALL Echo(const char* a) { return a; }
const char* FORMEL_CALL Concat(const char* a, const char* b) { return Keep(std::string(a) + b); }
const char* FORMEL_CALL Num() { return "3.5"; }
const char* FORMEL_CALL Word() { return "abc"; }
const char* FORMEL_CALL Quoted() { return "\"q\""; }
const char* FORMEL_CALL Null0() { return nullptr; }
const char* FORMEL_CALL Null1(const char*) { return nullptr; }
const char* FORMEL_CALL Reenter(const char* formula) {
  if (tEvaluator != nullptr) return tEvaluate(tEvaluator, formula);
  return tFormel == nullptr ? nullptr : tFormel(formula);
}

template <class F>
FormelCallID Id(F f) {
  return reinterpret_cast<FormelCallID>(f);
}

const HostImpl kImpls[] = {
    {"show0", 0, Id(Show0)},   {"show1", 1, Id(Show1)},     {"show2", 2, Id(Show2)},
    {"show3", 3, Id(Show3)},   {"show10", 10, Id(Show10)},  {"max", 2, Id(Max)},
    {"echo", 1, Id(Echo)},     {"concat", 2, Id(Concat)},   {"num", 0, Id(Num)},
    {"word", 0, Id(Word)},     {"quoted", 0, Id(Quoted)},   {"null0", 0, Id(Null0)},
    {"null1", 1, Id(Null1)},   {"formel", 1, Id(Reenter)},  {"zero2", 2, 0},
};

// Calls the impl (user) with the arguments, as the classic exports would.
const char* FORMEL_CALL CallHostImpl(void* user, int argc, const char* const* a) {
  using Arg = const char*;
  const FormelCallID id = static_cast<const HostImpl*>(user)->callId;
  switch (argc) {
    case 0: return reinterpret_cast<Arg(FORMEL_CALL*)()>(id)();
    case 1: return reinterpret_cast<Arg(FORMEL_CALL*)(Arg)>(id)(a[0]);
    case 2: return reinterpret_cast<Arg(FORMEL_CALL*)(Arg, Arg)>(id)(a[0], a[1]);
    case 3: return reinterpret_cast<Arg(FORMEL_CALL*)(Arg, Arg, Arg)>(id)(a[0], a[1], a[2]);
    default:
      return reinterpret_cast<Arg(FORMEL_CALL*)(Arg, Arg, Arg, Arg, Arg, Arg, Arg, Arg, Arg, Arg)>(id)(
          a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
  }
}

}  // namespace

const HostImpl* FindHostImpl(const std::string& name) {
  for (const HostImpl& impl : kImpls) {
    if (name == impl.name) return &impl;
  }
  return nullptr;
}

void SetReentryFormel(FormelEntry entry) { tFormel = entry; }

void SetReentryEvaluator(formel_evaluator* ev, EvaluatorEntry entry) {
  tEvaluator = ev;
  tEvaluate = entry;
}

bool RegisterClosure(SetFunctionEntry set, formel_evaluator* ev, const std::string& name,
                     const std::string& impl) {
  const HostImpl* host = FindHostImpl(impl);
  if (host == nullptr) return false;
  if (host->callId == 0) return true;
  void* user = const_cast<HostImpl*>(host);
  return set(ev, name.c_str(), host->paramCount, &CallHostImpl, user) == 1;
}

}  // namespace formel_test
