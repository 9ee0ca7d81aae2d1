// Host functions whose behaviour the fuzz input chooses. Each of a few
// slots runs a script: return null, a text, a long text, one of its
// arguments, or call back into the library (Formel, GetVarS, and the calls
// that change or reset the tables) while it runs.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>

#include "formel.h"
#include "formel_evaluator.h"

namespace formel_fuzz {

inline constexpr int kHostSlots = 8;
// Bytes of long texts that host functions may return in one evaluation
// (kept to what a sanitized build evaluates well inside the one-second limit).
inline constexpr std::size_t kLongTextBudget = 1 << 16;

// The address of slot's function with count parameters (0 to 10).
FormelCallID HostId(int slot, int count);

// Slot's function for an evaluator of the evaluator API, registered with
// SlotUser(slot) as its user pointer.
const char* SlotClosure(void* user, int argc, const char* const* argv);
void* SlotUser(int slot);
// The evaluator that scripts read and re-enter instead of the classic
// exports; null goes back to those.
void SetTarget(formel_evaluator* ev);

// Gives slot the name it is registered under and its script: the first
// byte picks the action, the rest is its text.
void SetScript(int slot, const std::string& name, const std::string& script);
void ClearScripts();
// True when a script changes the tables or restarts the library.
bool ScriptChangesTables(const std::string& script);

// Called before each outermost evaluation: budgets back to full, the
// record of returned bytes emptied. Host behaviour depends on nothing else,
// so the same evaluation behaves the same every time.
void StartRun();
// Every byte a host function returned or stored since StartRun.
const std::bitset<256>& HostBytes();

}  // namespace formel_fuzz
