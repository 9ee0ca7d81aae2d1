// Texts as JSON strings. Formulas and results are bytes: a valid UTF-8
// sequence is written as it is, any other byte as the character of the
// same code (\u00XX, as Latin-1 reads it), so that every text gives valid
// JSON.
#pragma once

#include <string>
#include <string_view>

namespace formel_cli {

// The JSON string literal of text, quotes included.
std::string JsonString(std::string_view text);

}  // namespace formel_cli
