// What the playground's JavaScript calls: one evaluator for the page, and
// each evaluation handed back as one record of bytes (result, then every
// event the observer saw), so that no text needs a character encoding on
// the way and no exception can leave the module.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "formel_evaluator.h"

namespace {

formel_evaluator* gEvaluator = nullptr;

// Texts of the events kept per evaluation at most: a trace of a formula
// of megabytes would otherwise hold every stage's copy of it.
constexpr std::size_t kTraceBudget = 8u << 20;

struct Recorder {
  std::string events;
  std::uint32_t count = 0;
  bool complete = true;
};

std::string gRecord;  // the last evaluation's record, read by JavaScript

void PutWord(std::string& out, std::int64_t value) {
  const auto word = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
  char bytes[4];
  std::memcpy(bytes, &word, 4);  // wasm is little-endian, as DataView reads it
  out.append(bytes, 4);
}

void PutText(std::string& out, const char* data, std::size_t size) {
  PutWord(out, static_cast<std::int64_t>(size));
  out.append(data, size);
}

void Observe(void* user, const formel_event* e) {
  auto& rec = *static_cast<Recorder*>(user);
  if (!rec.complete) return;
  const std::size_t size = e->name.size + e->before.size + e->after.size + 40;
  if (rec.events.size() + size > kTraceBudget) {
    rec.complete = false;
    return;
  }
  try {
    PutWord(rec.events, e->kind);
    PutWord(rec.events, e->depth);
    PutWord(rec.events, e->start);
    PutWord(rec.events, e->end);
    PutText(rec.events, e->name.data, e->name.size);
    PutText(rec.events, e->before.data, e->before.size);
    PutText(rec.events, e->after.data, e->after.size);
    ++rec.count;
  } catch (...) {  // out of memory: the trace stops, the evaluation goes on
    rec.complete = false;
  }
}

}  // namespace

extern "C" {

// A new evaluator with empty tables, with the standard functions when
// asked. 1, or 0 without memory.
EMSCRIPTEN_KEEPALIVE int playground_reset(int standard_functions) {
  formel_free(gEvaluator);
  gEvaluator = formel_new();
  if (gEvaluator == nullptr) return 0;
  return standard_functions == 0 || formel_register_standard_functions(gEvaluator) != 0;
}

EMSCRIPTEN_KEEPALIVE int playground_set_var(const char* name, const char* value) {
  return formel_set_var(gEvaluator, name, value);
}

// Evaluates formula and returns the record: little-endian 32-bit words and
// texts (a length word, then the bytes):
//   result text, flags (1: every event is there), event count, then per
//   event: kind, depth, start, end, name text, before text, after text.
// Valid until the next call; null when even the record has no memory.
EMSCRIPTEN_KEEPALIVE const char* playground_evaluate(const char* formula, int observe) {
  Recorder recorder;
  formel_set_observer(gEvaluator, observe != 0 ? &Observe : nullptr, &recorder);
  // The result lives until the next call on the evaluator: record it first.
  const char* result = formel_evaluate(gEvaluator, formula);
  const char* record = nullptr;
  try {
    gRecord.clear();
    PutText(gRecord, result, std::strlen(result));
    PutWord(gRecord, recorder.complete ? 1 : 0);
    PutWord(gRecord, recorder.count);
    gRecord += recorder.events;
    record = gRecord.data();
  } catch (...) {
    gRecord = std::string();
  }
  formel_set_observer(gEvaluator, nullptr, nullptr);
  return record;
}

}  // extern "C"
