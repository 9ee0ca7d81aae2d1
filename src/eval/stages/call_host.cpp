// Calling the host's functions.
#include <array>

#include "eval/stages/stages.h"
#include "formel.h"
#include "text/numbers.h"

namespace formel {

namespace {

using HostText = const char*;

// A classic call ID takes exactly its registered number of texts, in the
// library's calling convention (the callee removes them on 32-bit Windows).
HostText CallClassic(const FuncInfo& f, const std::array<HostText, kMaxParams>& a) {
  const std::intptr_t id = f.callId;
  switch (f.paramCount) {
    case 0: return reinterpret_cast<HostText(FORMEL_CALL*)()>(id)();
    case 1: return reinterpret_cast<HostText(FORMEL_CALL*)(HostText)>(id)(a[0]);
    case 2: return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText)>(id)(a[0], a[1]);
    case 3:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText)>(id)(a[0], a[1], a[2]);
    case 4:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText)>(id)(
          a[0], a[1], a[2], a[3]);
    case 5:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText)>(
          id)(a[0], a[1], a[2], a[3], a[4]);
    case 6:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText)>(id)(a[0], a[1], a[2], a[3], a[4], a[5]);
    case 7:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText)>(id)(a[0], a[1], a[2], a[3],
                                                                              a[4], a[5], a[6]);
    case 8:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText, HostText)>(id)(
          a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    case 9:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText, HostText, HostText)>(id)(
          a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
    default:
      return reinterpret_cast<HostText(FORMEL_CALL*)(HostText, HostText, HostText, HostText, HostText,
                                                     HostText, HostText, HostText, HostText, HostText)>(
          id)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
  }
}

// Apart from CallHost: the other calls need none of its room.
[[gnu::noinline]] HostText CallOnNumberTexts(const FuncInfo& f, const std::array<HostText, kMaxParams>& a,
                                             NumberResultRoom& room) {
  std::array<double, kMaxParams> numbers{};
  for (std::int32_t k = 0; k < f.paramCount; ++k) numbers[k] = OperandNumber(View(a[k]));
  const std::size_t length = FormatReal(CallOnNumbers(f, numbers.data()), room.data());
  room[length] = '\0';
  return room.data();
}

}  // namespace

const char* CallHost(const FuncInfo& f, const std::array<const char*, kMaxParams>& args, NumberResultRoom& room) {
  if (f.closure != nullptr) return f.closure(f.user, f.paramCount, args.data());
  if (f.number != nullptr) return CallOnNumberTexts(f, args, room);
  return CallClassic(f, args);
}

float CallOnNumbers(const FuncInfo& f, const double* numbers) {
  return RoundToFloat(f.number(f.user, f.paramCount, numbers));
}

}  // namespace formel
