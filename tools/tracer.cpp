#include "tracer.h"

#include <map>


namespace formel_cli {

namespace {

std::string_view ViewOf(formel_text text) { return {text.data, text.size}; }

bool IsGroup(const Tracer::Event& e) { return e.kind == FORMEL_EVENT_GROUP; }
bool IsFinding(const Tracer::Event& e) { return e.kind == FORMEL_EVENT_FINDING; }

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
// levels completed) before the level reports its own stages. A finding
// comes before the stage or call it happened in. Levels that an evaluation
// past a limit left unfinished come last, deepest first.
std::vector<Level> BuildLevels(const std::vector<Tracer::Event>& events) {
  std::map<int, Level> open;
  std::map<int, std::vector<Level>> done;
  for (const Tracer::Event& e : events) {
    Level& level = open[e.depth];
    if (IsFinding(e)) {
      level.items.push_back({&e, {}});
      continue;
    }
    if (IsGroup(e)) {
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
  std::vector<Level> levels = std::move(done[1]);
  for (auto it = open.rbegin(); it != open.rend(); ++it) levels.push_back(std::move(it->second));
  return levels;
}

std::string Line(int indent, std::string_view label, std::string_view text) {
  std::string line(static_cast<std::size_t>(indent), ' ');
  line.append(label);
  line.append(label.size() < 11 ? 11 - label.size() : 1, ' ');
  line.append(text);
  return line + "\n";
}

// Said on the line of a call whose name no function has (its finding
// comes just before the call).
constexpr std::string_view kLeftAsText = " (left as text: no function has this name)";

// The stages that changed the level's text (blanks at the ends aside), its
// groups and its findings, in the order they happened.
std::string RenderLevel(const Level& level, int indent) {
  std::string out;
  std::string current(Trimmed(level.formula));
  bool unknownCall = false;
  for (const Level::Item& item : level.items) {
    const Tracer::Event& e = *item.event;
    if (IsFinding(e)) {
      unknownCall = unknownCall || e.stage == "unknown-function";
      if (e.stage != "unknown-function") out += Line(indent, e.stage, e.after);
      continue;
    }
    if (IsGroup(e)) {
      const std::string label = e.stage + " " + std::to_string(e.depth);
      std::string body = e.before + " -> " + std::string(Trimmed(e.after));
      if (unknownCall && e.stage == "call") body += kLeftAsText;
      unknownCall = false;
      out += Line(indent, label, body);
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

void Tracer::Begin() { events_.clear(); }

void Tracer::Record(const formel_event& e) {
  events_.push_back({e.kind, e.depth, std::string(ViewOf(e.name)), std::string(ViewOf(e.before)),
                     std::string(ViewOf(e.after))});
}

std::string Tracer::Render() const { return RenderTrace(events_); }

}  // namespace formel_cli
