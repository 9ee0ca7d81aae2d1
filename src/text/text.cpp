#include "text/text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "frame/library.h"

namespace formel {

namespace {

StringWorkspace& Workspace() { return CurrentLibrary().workspace; }

char* PutView(std::string_view text) { return Workspace().Put(text); }

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

int CompareBytes(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);  // memcmp is unsigned
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::int32_t FindIn(std::string_view text, std::string_view pattern, std::int32_t start) {
  if (start < 1) start = 1;
  const auto from = static_cast<std::size_t>(start - 1);
  if (from > text.size()) return 0;
  const std::size_t at = text.find(pattern, from);
  return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

std::int32_t TextLength(const char* text) {
  return static_cast<std::int32_t>(View(text).size());
}

char* TextLeft(const char* text, std::int32_t count) {
  const std::string_view t = View(text);
  if (count <= 0) return PutView({});
  return PutView(t.substr(0, static_cast<std::size_t>(count)));
}

char* TextRight(const char* text, std::int32_t count) {
  const std::string_view t = View(text);
  if (count <= 0) return PutView({});
  const std::size_t n = std::min(t.size(), static_cast<std::size_t>(count));
  return PutView(t.substr(t.size() - n));
}

char* TextMid(const char* text, std::int32_t start, std::int32_t count) {
  const std::string_view t = View(text);
  if (start < 1) start = 1;
  const auto from = static_cast<std::size_t>(start - 1);
  if (count <= 0 || from >= t.size()) return PutView({});
  return PutView(t.substr(from, static_cast<std::size_t>(count)));
}

std::int32_t FindText(const char* text, const char* pattern, std::int32_t start) {
  if (text == nullptr || pattern == nullptr) return 0;
  return FindIn(text, pattern, start);
}

char* ReplaceText(const char* text, const char* pattern, const char* replacement) {
  const std::string_view t = View(text);
  const std::string_view p = View(pattern);
  const std::string_view r = View(replacement);
  if (t.empty() || p.empty()) return PutView({});
  std::string out;  // the source may lie at the write position itself
  out.reserve(t.size());
  for (std::size_t i = 0; i < t.size();) {
    if (t.compare(i, p.size(), p) == 0) {
      out.append(r);
      i += p.size();
    } else {
      out.push_back(t[i++]);
    }
  }
  return PutView(out);
}

char* TrimSpaces(const char* text) { return PutView(TrimBlanks(View(text))); }

char* ToLower(const char* text) {
  char* out = PutView(View(text));
  for (char* c = out; *c != '\0'; ++c) *c = LowerByte(*c);
  return out;
}

char* ToUpper(const char* text) {
  char* out = PutView(View(text));
  for (char* c = out; *c != '\0'; ++c) *c = UpperByte(*c);
  return out;
}

std::int32_t TextEquals(const char* first, const char* second) {
  return CompareBytes(View(first), View(second)) == 0 ? 1 : 0;
}

std::int32_t TextLess(const char* first, const char* second) {
  return CompareBytes(View(first), View(second)) < 0 ? 1 : 0;
}

std::int32_t TextGreater(const char* first, const char* second) {
  return CompareBytes(View(first), View(second)) > 0 ? 1 : 0;
}

}  // namespace formel
