#include "eval/observer/origins.h"

#include <algorithm>
#include <functional>

namespace formel {

std::ptrdiff_t OffsetIn(std::string_view outer, std::string_view piece) {
  // Pointers into different texts: only std::less_equal orders them safely.
  const std::less_equal<const char*> atOrBefore;
  if (outer.data() == nullptr || piece.data() == nullptr) return -1;
  if (!atOrBefore(outer.data(), piece.data()) ||
      !atOrBefore(piece.data() + piece.size(), outer.data() + outer.size())) {
    return -1;
  }
  return piece.data() - outer.data();
}

void Origins::SetView(std::string_view outermost, std::string_view view) {
  runs_.clear();
  const std::ptrdiff_t offset = OffsetIn(outermost, view);
  if (offset < 0 || view.empty()) return;
  runs_.push_back({0, static_cast<std::size_t>(offset), view.size()});
}

std::pmr::vector<Origins::Run>::const_iterator Origins::RunAt(std::size_t pos) const {
  auto it = std::upper_bound(runs_.begin(), runs_.end(), pos,
                             [](std::size_t p, const Run& r) { return p < r.at; });
  if (it == runs_.begin()) return runs_.end();
  --it;
  return pos < it->at + it->length ? it : runs_.end();
}

void Origins::Push(Run run) {
  if (!runs_.empty()) {
    Run& last = runs_.back();
    if (last.at + last.length == run.at && last.origin + last.length == run.origin) {
      last.length += run.length;
      return;
    }
  }
  runs_.push_back(run);
}

void Origins::Append(const Origins& source, std::size_t from, std::size_t n, std::size_t at) {
  const std::size_t end = from + n;
  auto it = std::upper_bound(source.runs_.begin(), source.runs_.end(), from,
                             [](std::size_t p, const Run& r) { return p < r.at; });
  if (it != source.runs_.begin()) --it;
  for (; it != source.runs_.end() && it->at < end; ++it) {
    const std::size_t first = std::max(from, it->at);
    const std::size_t last = std::min(end, it->at + it->length);
    if (first >= last) continue;
    Push({at + (first - from), it->origin + (first - it->at), last - first});
  }
}

void Origins::Truncate(std::size_t length) {
  while (!runs_.empty() && runs_.back().at >= length) runs_.pop_back();
  if (!runs_.empty() && runs_.back().at + runs_.back().length > length) {
    runs_.back().length = length - runs_.back().at;
  }
}

std::ptrdiff_t Origins::Find(std::size_t from, std::size_t n) const {
  if (n == 0) return -1;
  const auto run = RunAt(from);
  if (run == runs_.end() || from + n > run->at + run->length) return -1;
  return static_cast<std::ptrdiff_t>(run->origin + (from - run->at));
}

}  // namespace formel
