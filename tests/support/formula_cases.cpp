#include "support/formula_cases.h"

#include <fstream>
#include <stdexcept>

namespace formel_test {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type from = 0;
  for (;;) {
    const auto tab = line.find('\t', from);
    fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
    if (tab == std::string::npos) return fields;
    from = tab + 1;
  }
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string Unescape(const std::string& field) {
  std::string out;
  for (std::string::size_type i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out.push_back(field[i]);
      continue;
    }
    const char e = field[++i];
    switch (e) {
      case 's': out.push_back(' '); break;
      case 't': out.push_back('\t'); break;
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case '\\': out.push_back('\\'); break;
      case 'x': {
        if (i + 2 >= field.size()) throw std::runtime_error("short \\x escape in: " + field);
        const int hi = HexDigit(field[i + 1]);
        const int lo = HexDigit(field[i + 2]);
        if (hi < 0 || lo < 0) throw std::runtime_error("bad \\x escape in: " + field);
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        break;
      }
      default:  // not an escape: the backslash is a character of its own
        out.push_back('\\');
        out.push_back(e);
    }
  }
  return out;
}

std::string Escape(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  const auto firstKept = text.find_first_not_of(' ');
  const auto lastKept = text.find_last_not_of(' ');
  std::string out;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == ' ' && (firstKept == std::string::npos || i < firstKept || i > lastKept)) {
      out += "\\s";
    } else if (b == '\\') {
      out += "\\\\";
    } else if (b == '\t') {
      out += "\\t";
    } else if (b < 32 || b > 126) {
      out += "\\x";
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    } else {
      out.push_back(static_cast<char>(b));
    }
  }
  return out;
}

std::vector<FormulaCase> ReadFormulaCases(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<FormulaCase> cases;
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    throw std::runtime_error(path + ":" + std::to_string(number) + ": " + why);
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const auto f = SplitTabs(line);
    const std::string& key = f[0];
    if (key == "case") {
      if (f.size() != 2) fail("case takes a name");
      cases.push_back({});
      cases.back().name = f[1];
      cases.back().line = number;
      continue;
    }
    if (cases.empty()) fail("item before the first case");
    FormulaCase& c = cases.back();
    if (key == "var" && f.size() == 3) {
      c.vars.emplace_back(Unescape(f[1]), Unescape(f[2]));
    } else if (key == "func" && f.size() == 3) {
      c.funcs.emplace_back(Unescape(f[1]), f[2]);
    } else if (key == "formula" && f.size() == 2) {
      c.formula = Unescape(f[1]);
    } else if (key == "expect" && f.size() == 2) {
      c.expect = Unescape(f[1]);
    } else if ((key == "formula" || key == "expect") && f.size() == 1) {
      (key == "formula" ? c.formula : c.expect).clear();
    } else {
      fail("malformed line: " + line);
    }
  }
  return cases;
}

}  // namespace formel_test
