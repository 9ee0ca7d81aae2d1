#include "json_text.h"

#include <cstdio>

namespace formel_cli {

namespace {

// The length of the valid UTF-8 sequence at text[i] (not ASCII), or 0:
// no overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t n = 0;
  unsigned long code = 0;
  unsigned long least = 0;
  if ((lead & 0xE0) == 0xC0) {
    n = 2, code = lead & 0x1Fu, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    n = 3, code = lead & 0x0Fu, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    n = 4, code = lead & 0x07u, least = 0x10000;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3Fu);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < least || code > 0x10FFFF || surrogate ? 0 : n;
}

void AppendCode(std::string& out, unsigned char code) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code));
  out += escape;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto code = static_cast<unsigned char>(c);
    if (code >= 0x80) {
      const std::size_t n = Utf8Length(text, i);
      if (n == 0) {
        AppendCode(out, code);
        ++i;
      } else {
        out.append(text.substr(i, n));
        i += n;
      }
      continue;
    }
    ++i;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (code < 0x20 || code == 0x7F) {
      AppendCode(out, code);
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace formel_cli
