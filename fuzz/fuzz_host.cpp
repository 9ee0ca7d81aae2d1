#include "fuzz_host.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace formel_fuzz {

namespace {

// Per evaluation, beside the bytes of long texts: the number of re-entries
// (a script that re-enters itself would otherwise recurse for as long as the
// library's depth limit lets it, in time that grows without bound).
constexpr int kReentryBudget = 8;

struct Slot {
  std::string name;
  std::string script;
  std::string returned;  // lives until the slot runs again
};

std::array<Slot, kHostSlots> gSlots;
std::size_t gLongLeft = kLongTextBudget;
int gReentriesLeft = kReentryBudget;
std::bitset<256> gBytes;
formel_evaluator* gTarget = nullptr;

void Record(const char* text) {
  if (text == nullptr) return;
  for (const char* c = text; *c != '\0'; ++c) gBytes.set(static_cast<unsigned char>(*c));
}

const char* Returned(Slot& s, std::string text) {
  s.returned = std::move(text);
  Record(s.returned.c_str());
  return s.returned.c_str();
}

const char* Reenter(Slot& s, const char* formula) {
  if (gReentriesLeft <= 0) return Returned(s, s.script.substr(1));
  --gReentriesLeft;
  const char* r = gTarget != nullptr ? formel_evaluate(gTarget, formula) : Formel(formula);
  Record(r);
  return r;
}

std::string LongText(const std::string& text) {
  const std::string unit = text.size() > 1 ? text.substr(1) : std::string("x\"");
  std::size_t want = text.empty() ? 1024 : static_cast<unsigned char>(text[0]) * std::size_t{256};
  if (want > gLongLeft) want = gLongLeft;
  gLongLeft -= want;
  std::string out;
  out.reserve(want);
  while (out.size() + unit.size() <= want) out += unit;
  return out;
}

const char* Act(int slotIndex, const char* const* args, int count) {
  Slot& s = gSlots[static_cast<std::size_t>(slotIndex)];
  const char action = s.script.empty() ? 'n' : s.script[0];
  const std::string text = s.script.empty() ? std::string() : s.script.substr(1);
  const char* first = count > 0 ? args[0] : text.c_str();
  switch (action) {
    case 't': return Returned(s, text);
    case 'l': return Returned(s, LongText(text));
    case 'a': {  // the very text it was given
      if (count == 0) return nullptr;
      const int k = text.empty() ? 0 : static_cast<unsigned char>(text[0]) % count;
      Record(args[k]);
      return args[k];
    }
    case 'f': return Reenter(s, first);
    case 'F': return Reenter(s, text.c_str());
    case 'g': {
      const char* r = gTarget != nullptr ? formel_get_var(gTarget, first) : GetVarS(first);
      Record(r);
      return r;
    }
    case 's': Record(first); SetVarS(text.c_str(), first); return Returned(s, text);
    case 'c': ClearFuncs(); return Returned(s, text);
    case 'r': RemFunc(s.name.c_str()); return Returned(s, text);
    case 'x': ClearVars(); return Returned(s, text);
    case 'A': AttachProcess(nullptr); return Returned(s, text);
    case 'D': DLLEntryPoint(nullptr, 0, nullptr); return Returned(s, text);
    default: return nullptr;
  }
}

template <std::size_t>
using Arg = const char*;

template <int SlotIndex, std::size_t... I>
const char* FORMEL_CALL HostFunction(Arg<I>... args) {
  const char* const list[] = {args..., nullptr};
  return Act(SlotIndex, list, static_cast<int>(sizeof...(I)));
}

template <int SlotIndex, std::size_t... I>
FormelCallID IdOf(std::index_sequence<I...>) {
  return reinterpret_cast<FormelCallID>(&HostFunction<SlotIndex, I...>);
}

using IdTable = std::array<std::array<FormelCallID, 11>, kHostSlots>;

template <int SlotIndex, std::size_t... N>
void FillSlot(IdTable& ids, std::index_sequence<N...>) {
  ((ids[SlotIndex][N] = IdOf<SlotIndex>(std::make_index_sequence<N>{})), ...);
}

template <std::size_t... S>
IdTable MakeIds(std::index_sequence<S...>) {
  IdTable ids{};
  (FillSlot<static_cast<int>(S)>(ids, std::make_index_sequence<11>{}), ...);
  return ids;
}

const IdTable gIds = MakeIds(std::make_index_sequence<kHostSlots>{});

}  // namespace

FormelCallID HostId(int slot, int count) {
  return gIds[static_cast<std::size_t>(slot)][static_cast<std::size_t>(count)];
}

const char* SlotClosure(void* user, int argc, const char* const* argv) {
  return Act(static_cast<int>(reinterpret_cast<std::intptr_t>(user)), argv, argc);
}

void* SlotUser(int slot) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(slot)); }

void SetTarget(formel_evaluator* ev) { gTarget = ev; }

void SetScript(int slot, const std::string& name, const std::string& script) {
  gSlots[static_cast<std::size_t>(slot)].name = name;
  gSlots[static_cast<std::size_t>(slot)].script = script;
}

void ClearScripts() {
  for (Slot& s : gSlots) s = Slot{};
}

bool ScriptChangesTables(const std::string& script) {
  return !script.empty() && std::string("scrxAD").find(script[0]) != std::string::npos;
}

void StartRun() {
  gLongLeft = kLongTextBudget;
  gReentriesLeft = kReentryBudget;
  gBytes.reset();
}

const std::bitset<256>& HostBytes() { return gBytes; }

}  // namespace formel_fuzz
