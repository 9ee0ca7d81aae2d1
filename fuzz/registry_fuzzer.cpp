// Fuzzes the table exports against a model of the two tables.
//
// Input (fields separated by zero bytes): operations, each a field whose
// first byte picks the export and whose rest is the name; setters take the
// next field as the value ("f" reads a count byte and a call ID from it).
//   S SetVarS  L SetVarL  G GetVarS  R RemVar  C ClearVars
//   f SetFunc  r RemFunc  c ClearFuncs  i GetFuncCallID  p GetFuncParamCnt
//   A AttachProcess  N the variable exports with null texts
//   B a result handed straight back: SetVarS(GetVarS(name), same)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "formel.h"
#include "fuzz_fields.h"

namespace {

using formel_fuzz::NormalName;

struct Model {
  std::map<std::string, std::string> vars;
  std::map<std::string, std::pair<FormelInt, FormelCallID>> funcs;
};

[[noreturn]] void Fail(const char* what, const std::string& name) {
  std::fprintf(stderr, "table export disagrees with the model: %s [%s]\n", what, name.c_str());
  std::abort();
}

void Expect(bool holds, const char* what, const std::string& name) {
  if (!holds) Fail(what, name);
}

std::string ModelValue(const Model& m, const std::string& name) {
  const auto found = m.vars.find(NormalName(name));
  return found == m.vars.end() ? std::string() : found->second;
}

template <class T>
T Bytes(const std::string& field) {
  T value{};
  std::memcpy(&value, field.data(), std::min(sizeof value, field.size()));
  return value;
}

void RunVariableOp(char op, const std::string& name, formel_fuzz::FieldReader& fields, Model& m) {
  switch (op) {
    case 'S': {
      const std::string value = fields.Next();
      Expect(SetVarS(name.c_str(), value.c_str()) == 1, "SetVarS", name);
      m.vars[NormalName(name)] = value;
      break;
    }
    case 'L': {
      const auto value = Bytes<FormelInt>(fields.Next());
      Expect(SetVarL(name.c_str(), value) == 1, "SetVarL", name);
      m.vars[NormalName(name)] = std::to_string(value);
      break;
    }
    case 'G': Expect(GetVarS(name.c_str()) == ModelValue(m, name), "GetVarS", name); break;
    case 'R':
      Expect(RemVar(name.c_str()) == static_cast<FormelInt>(m.vars.erase(NormalName(name))), "RemVar", name);
      break;
    case 'C': Expect(ClearVars() == 1, "ClearVars", name); m.vars.clear(); break;
    case 'N':
      Expect(GetVarS(nullptr) == ModelValue(m, ""), "GetVarS(null)", name);
      Expect(SetVarS(nullptr, nullptr) == 1, "SetVarS(null, null)", name);
      m.vars[""] = "";
      Expect(RemVar(nullptr) == 1, "RemVar(null)", name);
      m.vars.erase("");
      break;
    case 'B': {
      const char* r = GetVarS(name.c_str());  // lives until the next call
      const std::string copy = r;
      Expect(SetVarS(r, r) == 1, "SetVarS(result, result)", name);
      m.vars[NormalName(copy)] = copy;
      break;
    }
    default: break;
  }
}

void RunFunctionOp(char op, const std::string& name, formel_fuzz::FieldReader& fields, Model& m) {
  const std::string key = NormalName(name);
  const auto found = m.funcs.find(key);
  switch (op) {
    case 'f': {
      const std::string field = fields.Next();
      const FormelInt count = field.empty() ? 0 : static_cast<signed char>(field[0]);
      const auto id = Bytes<FormelCallID>(field.empty() ? field : field.substr(1));
      const bool valid = count >= 0 && count <= 10;
      Expect(SetFunc(name.c_str(), count, id) == (valid ? 1 : 0), "SetFunc", name);
      if (valid) m.funcs[key] = {count, id};
      break;
    }
    case 'r':
      Expect(RemFunc(name.c_str()) == static_cast<FormelInt>(m.funcs.erase(key)), "RemFunc", name);
      break;
    case 'c': Expect(ClearFuncs() == 1, "ClearFuncs", name); m.funcs.clear(); break;
    case 'i':
      Expect(GetFuncCallID(name.c_str()) == (found == m.funcs.end() ? 0 : found->second.second),
             "GetFuncCallID", name);
      break;
    case 'p':
      Expect(GetFuncParamCnt(name.c_str()) == (found == m.funcs.end() ? 0 : found->second.first),
             "GetFuncParamCnt", name);
      break;
    default: break;
  }
}

void CheckWhole(const Model& m) {
  for (const auto& [key, value] : m.vars) Expect(GetVarS(key.c_str()) == value, "final GetVarS", key);
  for (const auto& [key, f] : m.funcs) {
    Expect(GetFuncParamCnt(key.c_str()) == f.first, "final GetFuncParamCnt", key);
    Expect(GetFuncCallID(key.c_str()) == f.second, "final GetFuncCallID", key);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  DLLEntryPoint(nullptr, 1, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Expect(AttachProcess(nullptr) == 0, "AttachProcess", "");
  Model m;
  formel_fuzz::FieldReader fields(formel_fuzz::SplitFields(data, size));
  while (!fields.AtEnd()) {
    const std::string f = fields.Next();
    if (f.empty()) continue;
    const std::string name = f.substr(1);
    if (f[0] == 'A') {
      Expect(AttachProcess(nullptr) == 0, "AttachProcess", name);
      m = Model{};
    }
    RunVariableOp(f[0], name, fields, m);
    RunFunctionOp(f[0], name, fields, m);
  }
  CheckWhole(m);
  return 0;
}
