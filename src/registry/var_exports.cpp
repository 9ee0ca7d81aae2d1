// The variable exports.
#include <utility>

#include "formel.h"
#include "frame/export_call.h"
#include "text/numbers.h"

using formel::CallScope;
using formel::Library;
using formel::Text;

namespace formel {

std::string_view LookUpVariable(Library& lib, std::string_view name) {
  WorkspaceScope temporaries(lib.workspace);
  const Text* found = lib.vars.Find(BuildNameKey(lib.workspace, name));
  return found == nullptr ? std::string_view() : std::string_view(*found);
}

}  // namespace formel

namespace {

FormelInt SetVariable(const char* name, std::string_view value) {
  return formel::RunExport<FormelInt>(0, [&](Library& lib, CallScope& scope) {
    const Text n = formel::CopyArgument(lib, name);
    Text v(value, &lib.heap);
    scope.StartBuilding();
    formel::WorkspaceScope temporaries(lib.workspace);
    lib.vars.Set(formel::BuildNameKey(lib.workspace, n), formel::TrimBlanks(n), std::move(v));
    return 1;
  });
}

}  // namespace

extern "C" FORMEL_API FormelInt FORMEL_CALL SetVarS(const char* name, const char* value) {
  return SetVariable(name, formel::View(value));
}

extern "C" FORMEL_API FormelInt FORMEL_CALL SetVarL(const char* name, FormelInt value) {
  char digits[formel::kIntTextMax];
  return SetVariable(name, {digits, formel::FormatIntTo(value, digits)});
}

extern "C" FORMEL_API const char* FORMEL_CALL GetVarS(const char* name) {
  return formel::RunTextExport([&](Library& lib, CallScope& scope) {
    const Text n = formel::CopyArgument(lib, name);
    scope.StartBuilding();
    const auto start = lib.workspace.Position();
    return formel::ReturnText(lib, start, formel::LookUpVariable(lib, n));
  });
}

extern "C" FORMEL_API FormelInt FORMEL_CALL RemVar(const char* name) {
  return formel::RunNameExport<FormelInt>(0, name, [](Library& lib, std::string_view key,
                                                      std::string_view) {
    return lib.vars.Remove(key);
  });
}

extern "C" FORMEL_API FormelInt FORMEL_CALL ClearVars(void) {
  return formel::RunExport<FormelInt>(0, [](Library& lib, CallScope&) {
    lib.vars.Clear();
    return 1;
  });
}
