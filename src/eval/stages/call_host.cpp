// Calling the host's functions.
#include <array>

#include "eval/stages/stages.h"
#include "formel.h"

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

}  // namespace

const char* CallHost(const FuncInfo& f, const std::array<const char*, kMaxParams>& args) {
  if (f.closure != nullptr) return f.closure(f.user, f.paramCount, args.data());
  return CallClassic(f, args);
}

}  // namespace formel
