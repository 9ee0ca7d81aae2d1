// Writes the fuzzers' seed corpora from the shared formula case file, so
// the cases exist in one place only. Each case becomes a Formel input (its
// formula, variables and host functions, the host impls mapped to fuzz
// scripts that behave alike) and a table input (its names and values).
// A few more Formel seeds give every host script action one formula.
//
// Usage: formel_fuzz_seeds <case file> <formel corpus dir> <registry corpus dir>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "support/formula_cases.h"
#include "support/host_functions.h"

namespace {

namespace fs = std::filesystem;

// The fuzz script closest to a named test impl.
std::string ScriptFor(const std::string& impl) {
  if (impl == "echo" || impl == "max") return "a";
  if (impl == "concat") return "a\x01";
  if (impl == "num") return "t3.5";
  if (impl == "word") return "tabc";
  if (impl == "quoted") return "t\"q\"";
  if (impl == "null0" || impl == "null1") return "n";
  if (impl == "formel") return "f";
  return "t{a|b}";  // the show impls
}

char CountByte(const std::string& impl) {
  const formel_test::HostImpl* host = formel_test::FindHostImpl(impl);
  if (host == nullptr || host->callId == 0) return 'z';
  return host->paramCount == 10 ? 'A' : static_cast<char>('0' + host->paramCount);
}

void Field(std::string& out, const std::string& text) {
  out.push_back('\0');
  out += text;
}

std::string FormelSeed(const formel_test::FormulaCase& c) {
  std::string seed = c.formula;
  for (const auto& [name, value] : c.vars) {
    Field(seed, "V" + name);
    Field(seed, value);
  }
  int slot = 0;
  for (const auto& [name, impl] : c.funcs) {
    Field(seed, std::string("F") + static_cast<char>('0' + slot++) + CountByte(impl) + name);
    Field(seed, ScriptFor(impl));
  }
  return seed;
}

std::string RegistrySeed(const formel_test::FormulaCase& c) {
  std::string seed = "C";
  for (const auto& [name, value] : c.vars) {
    Field(seed, "S" + name);
    Field(seed, value);
    Field(seed, "G" + name);
  }
  for (const auto& [name, impl] : c.funcs) {
    Field(seed, "f" + name);
    Field(seed, std::string(1, CountByte(impl) == 'A' ? '\x0a' : '\x02') + "12345678");
    Field(seed, "p" + name);
  }
  return seed;
}

// One formula per script action; "f" re-enters with its argument.
std::string ActionSeed(char action) {
  std::string seed = "1+g(\"2*[x]\",(3))&[x]";
  Field(seed, "Vx");
  Field(seed, "4");
  Field(seed, "F02g");
  Field(seed, std::string(1, action) + (action == 'l' ? "\x02" "ab\"," : "5"));
  Field(seed, "P(g(1))");
  return seed;
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: formel_fuzz_seeds <case file> <formel dir> <registry dir>\n";
    return 2;
  }
  const fs::path formelDir = argv[2];
  const fs::path registryDir = argv[3];
  fs::create_directories(formelDir);
  fs::create_directories(registryDir);
  const auto cases = formel_test::ReadFormulaCases(argv[1]);
  for (const auto& c : cases) {
    const std::string id = "case-line" + std::to_string(c.line);
    Write(formelDir / id, FormelSeed(c));
    if (!c.vars.empty() || !c.funcs.empty()) Write(registryDir / id, RegistrySeed(c));
  }
  for (const char action : std::string("ntlafFgscrxAD")) {
    Write(formelDir / ("action-" + std::to_string(static_cast<int>(action))), ActionSeed(action));
  }
  Write(registryDir / "null-texts", std::string("N\0B\0Sa\0b\0Ba", 12));
  std::cout << cases.size() << " cases written as seeds\n";
  return 0;
}
