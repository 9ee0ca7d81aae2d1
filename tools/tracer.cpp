#include "tracer.h"

#include <map>


namespace formel_cli {

namespace {

// Called inside the library: must not throw. A trace that runs out of memory
// just misses steps.
std::string_view ViewOf(formel_text text) { return {text.data, text.size}; }

void Observe(void* user, const formel_event* e) noexcept {
  try {
    static_cast<Tracer*>(user)->Record(e->depth, ViewOf(e->name), ViewOf(e->before), ViewOf(e->after));
  } catch (...) {
  }
}

bool IsGroup(std::string_view stage) { return stage == "group" || stage == "call"; }

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One formula level: its text, its stages and replaced groups in order.
struct Level {
  std::string formula;
  struct Item {
    const Tracer::Event* event;
    std::vector<Level> inner;  // for a group or call: its inside or arguments
  };
  std::vector<Item> items;
};

// Events arrive innermost first: a level's groups are evaluated (and their
// levels completed) before the level reports its own stages.
std::vector<Level> BuildLevels(const std::vector<Tracer::Event>& events) {
  std::map<int, Level> open;
  std::map<int, std::vector<Level>> done;
  for (const Tracer::Event& e : events) {
    Level& level = open[e.depth];
    if (IsGroup(e.stage)) {
      level.items.push_back({&e, std::move(done[e.depth + 1])});
      done.erase(e.depth + 1);
      continue;
    }
    if (e.stage == "groups") level.formula = e.before;
    level.items.push_back({&e, {}});
    if (e.stage == "result") {
      done[e.depth].push_back(std::move(level));
      open.erase(e.depth);
    }
  }
  return std::move(done[1]);
}

std::string Line(int indent, std::string_view label, std::string_view text) {
  std::string line(static_cast<std::size_t>(indent), ' ');
  line.append(label);
  line.append(label.size() < 11 ? 11 - label.size() : 1, ' ');
  line.append(text);
  return line + "\n";
}

// The stages that changed the level's text (blanks at the ends aside).
std::string RenderLevel(const Level& level, int indent) {
  std::string out;
  std::string current(Trimmed(level.formula));
  for (const Level::Item& item : level.items) {
    const Tracer::Event& e = *item.event;
    if (IsGroup(e.stage)) {
      const std::string label = e.stage + " " + std::to_string(e.depth);
      out += Line(indent, label, e.before + " -> " + std::string(Trimmed(e.after)));
      for (const Level& inner : item.inner) {
        const std::string steps = RenderLevel(inner, indent + 4);
        if (steps.empty()) continue;
        out += std::string(static_cast<std::size_t>(indent + 2), ' ');
        out += std::string(Trimmed(inner.formula)) + "\n" + steps;
      }
      continue;
    }
    const std::string_view after = Trimmed(e.after);
    if (after == current) continue;
    current = after;
    out += Line(indent, e.stage, after);
  }
  return out;
}

std::string RenderTrace(const std::vector<Tracer::Event>& events) {
  std::string out;
  for (const Level& level : BuildLevels(events)) out += RenderLevel(level, 2);
  return out;
}

}  // namespace

Tracer::Tracer(formel_evaluator* ev) : ev_(ev) { formel_set_observer(ev_, &Observe, this); }

Tracer::~Tracer() { formel_set_observer(ev_, nullptr, nullptr); }

void Tracer::Begin() { events_.clear(); }

void Tracer::Record(int depth, std::string_view stage, std::string_view before,
                    std::string_view after) {
  events_.push_back({depth, std::string(stage), std::string(before), std::string(after)});
}

std::string Tracer::Render() const { return RenderTrace(events_); }

bool Tracer::ReachedResult() const {
  return !events_.empty() && events_.back().depth == 1 && events_.back().stage == "result";
}

}  // namespace formel_cli
