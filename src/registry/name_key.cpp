#include "registry/name_key.h"

#include "text/text.h"

namespace formel {

std::string_view WriteNameKey(std::string_view trimmed, char* out) {
  for (std::size_t i = 0; i < trimmed.size(); ++i) out[i] = LowerByte(trimmed[i]);
  return {out, trimmed.size()};
}

std::string_view BuildNameKey(StringWorkspace& workspace, std::string_view name) {
  const std::string_view trimmed = TrimBlanks(name);
  const std::string_view key = WriteNameKey(trimmed, workspace.Reserve(trimmed.size()));
  workspace.Commit(trimmed.size());
  return key;
}

}  // namespace formel
