// Calling-convention checks. A standard-call export removes its own
// arguments; if it removed more or fewer, the stack pointer would drift by
// that much on every call, which 100000 calls make plain.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host_check.h"
#include "host_checks.h"
#include "support/host_functions.h"

namespace win_host {

namespace {

constexpr int kCalls = 100000;

using TextExport = const char*(FORMEL_CALL*)(const char*);

inline std::intptr_t StackPointer() {
  std::intptr_t sp;
  asm volatile("movl %%esp, %0" : "=r"(sp) : : "memory");
  return sp;
}

// The calls are inlined here (flatten), so the stack pointer is read in
// the very frame that makes them.
template <class Call>
__attribute__((flatten)) std::intptr_t StackDriftOver(Call call) {
  const std::intptr_t before = StackPointer();
  for (int i = 0; i < kCalls; ++i) call();
  return StackPointer() - before;
}

// After a drift nothing on this stack can be trusted: report and stop at
// once rather than run on (or hang) with a broken frame.
[[noreturn]] void StopOnBrokenStack() {
  std::printf("stack unbalanced: stopping\n%d passed, %d failed\n", Results().passed, Results().failed);
  std::fflush(stdout);
  std::_Exit(1);
}

template <class Call>
void CheckBalanced(const char* what, Call call) {
  const std::intptr_t drift = StackDriftOver(call);
  if (!Check(drift == 0, std::string(what) + ": stack pointer moved by " + std::to_string(drift) +
                             " bytes over " + std::to_string(kCalls) + " calls")) {
    StopOnBrokenStack();
  }
}

void RegisterHostImpl(const FormelDll& dll, const char* impl) {
  const auto* host = formel_test::FindHostImpl(impl);
  dll.SetFunc(impl, host->paramCount, host->callId);
}

// Calls a one-argument text export as an older caller does: the result
// position is pushed before the argument and removed by the caller after
// the call. *drift receives the stack pointer's change over the whole
// sequence (0 when the export removed exactly its one argument).
extern "C" __attribute__((naked, noinline)) const char* CallWithResultPosition(
    TextExport /*entry*/, const char* /*argument*/, void* /*position*/, std::intptr_t* /*drift*/) {
  asm("pushl %ebp\n\t"
      "movl %esp, %ebp\n\t"
      "pushl %ebx\n\t"
      "movl %esp, %ebx\n\t"   // stack pointer before the caller's sequence
      "pushl 16(%ebp)\n\t"    // the result position
      "pushl 12(%ebp)\n\t"    // the declared argument
      "call *8(%ebp)\n\t"
      "addl $4, %esp\n\t"     // the caller removes the position word itself
      "movl %esp, %ecx\n\t"
      "subl %ebx, %ecx\n\t"
      "movl 20(%ebp), %edx\n\t"
      "movl %ecx, (%edx)\n\t"
      "movl %ebx, %esp\n\t"   // whatever happened, leave balanced
      "popl %ebx\n\t"
      "popl %ebp\n\t"
      "ret\n\t");
}

void CheckResultPositionCall(const char* what, TextExport entry, const char* argument,
                             const std::string& expected) {
  char position[64];
  char untouched[sizeof position];
  std::memset(position, 'Z', sizeof position);
  std::memcpy(untouched, position, sizeof position);
  std::intptr_t drift = -1;
  const char* result = CallWithResultPosition(entry, argument, position, &drift);
  Check(drift == 0, std::string(what) + " with a result position: stack pointer moved by " +
                        std::to_string(drift) + " bytes");
  CheckText(result == nullptr ? "(null)" : result, expected,
            std::string(what) + " with a result position: text at the returned address");
  Check(std::memcmp(position, untouched, sizeof position) == 0,
        std::string(what) + ": the library leaves the caller's result position alone");
}

void FORMEL_CALL CountEvent(void* user, const formel_event*) { ++*static_cast<int*>(user); }

}  // namespace

void CheckStackBalance(const FormelDll& dll) {
  const auto* echo = formel_test::FindHostImpl("echo");
  dll.AttachProcess(nullptr);
  CheckBalanced("DLLEntryPoint", [&] { dll.DLLEntryPoint(nullptr, 2, nullptr); });
  CheckBalanced("AttachProcess", [&] { dll.AttachProcess(nullptr); });
  CheckBalanced("SetVarS", [&] { dll.SetVarS("x", "7"); });
  CheckBalanced("SetVarL", [&] { dll.SetVarL("y", 8); });
  CheckBalanced("GetVarS", [&] { dll.GetVarS("x"); });
  CheckBalanced("RemVar", [&] { dll.RemVar("none"); });
  CheckBalanced("ClearVars", [&] { dll.ClearVars(); });
  CheckBalanced("SetFunc", [&] { dll.SetFunc("f", echo->paramCount, echo->callId); });
  CheckBalanced("GetFuncCallID", [&] { dll.GetFuncCallID("f"); });
  CheckBalanced("GetFuncParamCnt", [&] { dll.GetFuncParamCnt("f"); });
  CheckBalanced("RemFunc", [&] { dll.RemFunc("none"); });
  CheckBalanced("ClearFuncs", [&] { dll.ClearFuncs(); });
  CheckBalanced("Formel", [&] { dll.Formel("1+2*3"); });

  // The library's calls of host functions with 0, 1, 2 and 10 arguments.
  for (const char* impl : {"show0", "show1", "show2", "show10"}) RegisterHostImpl(dll, impl);
  CheckBalanced("Formel calling host functions", [&] {
    dll.Formel("show0()&show1(1)&show2(1,2)&show10(1,2,3,4,5,6,7,8,9,10)");
  });
  CheckText(dll.Formel("show0()&show1(1)&show2(1,2)&show10(1,2,3,4,5,6,7,8,9,10)"),
            "{}{1}{1|2}{1|2|3|4|5|6|7|8|9|10}", "host functions of every width get their arguments");
}

void CheckResultPositionCallers(const FormelDll& dll) {
  dll.AttachProcess(nullptr);
  dll.SetVarS("greeting", "hello");
  CheckResultPositionCall("GetVarS", dll.GetVarS, "greeting", "hello");
  CheckResultPositionCall("Formel", dll.Formel, "[greeting]&\"!\"", "hello!");
  CheckResultPositionCall("Formel", dll.Formel, "1.5*2", "3");
}

void CheckEvaluatorStackBalance(const FormelDll& dll) {
  CheckBalanced("formel_new, formel_free", [&] { dll.formel_free(dll.formel_new()); });
  formel_evaluator* ev = dll.formel_new();
  CheckBalanced("formel_set_var", [&] { dll.formel_set_var(ev, "x", "7"); });
  CheckBalanced("formel_set_var_int", [&] { dll.formel_set_var_int(ev, "y", 8); });
  CheckBalanced("formel_get_var", [&] { dll.formel_get_var(ev, "x"); });
  CheckBalanced("formel_remove_var", [&] { dll.formel_remove_var(ev, "none"); });
  CheckBalanced("formel_clear_vars", [&] { dll.formel_clear_vars(ev); });
  CheckBalanced("formel_set_function",
                [&] { formel_test::RegisterClosure(dll.formel_set_function, ev, "f", "echo"); });
  CheckBalanced("formel_remove_function", [&] { dll.formel_remove_function(ev, "none"); });
  CheckBalanced("formel_clear_functions", [&] { dll.formel_clear_functions(ev); });
  CheckBalanced("formel_register_standard_functions", [&] { dll.formel_register_standard_functions(ev); });
  CheckBalanced("formel_evaluate", [&] { dll.formel_evaluate(ev, "1+2*3"); });
  CheckBalanced("formel_set_observer", [&] { dll.formel_set_observer(ev, nullptr, nullptr); });

  // The library's calls of host functions and of the observer.
  for (const char* impl : {"show0", "show1", "show2", "show10"}) {
    formel_test::RegisterClosure(dll.formel_set_function, ev, impl, impl);
  }
  const char* calls = "show0()&show1(1)&show2(1,2)&show10(1,2,3,4,5,6,7,8,9,10)";
  CheckBalanced("formel_evaluate calling host functions", [&] { dll.formel_evaluate(ev, calls); });
  CheckText(dll.formel_evaluate(ev, calls), "{}{1}{1|2}{1|2|3|4|5|6|7|8|9|10}",
            "host functions of the evaluator API get their arguments");
  int events = 0;
  dll.formel_set_observer(ev, &CountEvent, &events);
  CheckBalanced("formel_evaluate calling its observer", [&] { dll.formel_evaluate(ev, "(1+2)*max(3,4)"); });
  Check(events >= kCalls, "the observer was called on every evaluation");
  dll.formel_free(ev);
}

}  // namespace win_host
