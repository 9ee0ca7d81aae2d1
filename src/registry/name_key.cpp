#include "registry/name_key.h"

#include "text/text.h"

namespace formel {

std::string_view BuildNameKey(StringWorkspace& workspace, std::string_view name) {
  const std::string_view trimmed = TrimBlanks(name);
  char* out = workspace.Reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size(); ++i) out[i] = LowerByte(trimmed[i]);
  workspace.Commit(trimmed.size());
  return {out, trimmed.size()};
}

}  // namespace formel
