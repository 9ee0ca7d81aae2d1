#include "prompt.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "output.h"

#ifdef FORMEL_HAVE_LIBEDIT
#include <editline/readline.h>
#endif
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace formel_cli {

namespace {

constexpr const char* kPrompt = "formel> ";

#ifdef FORMEL_HAVE_LIBEDIT
bool ReadPromptLine(std::string& line) {
  char* read = readline(kPrompt);
  if (read == nullptr) return false;
  line = read;
  std::free(read);
  if (line.find_first_not_of(' ') != std::string::npos) add_history(line.c_str());
  return true;
}
#else
bool ReadPromptLine(std::string& line) {
  WriteOut(kPrompt);
  FlushOut();
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}
#endif

}  // namespace

std::optional<PromptAssignment> ReadPromptAssignment(const std::string& line) {
  const std::size_t open = line.find_first_not_of(' ');
  if (open == std::string::npos || line[open] != '[') return std::nullopt;
  const std::size_t close = line.find(']', open);
  if (close == std::string::npos) return std::nullopt;
  const std::size_t op = line.find_first_not_of(' ', close + 1);
  if (op == std::string::npos || line.compare(op, 2, ":=") != 0) return std::nullopt;
  return PromptAssignment{line.substr(open + 1, close - open - 1), line.substr(op + 2)};
}

void RunPrompt(Evaluator& evaluator) {
  std::string line;
  while (ReadPromptLine(line)) {
    if (const auto assignment = ReadPromptAssignment(line)) {
      const std::string value = evaluator.Evaluate(assignment->formula);
      evaluator.SetVariable(assignment->name, value);
      evaluator.PrintResult(assignment->formula, value);
    } else {
      evaluator.Print(line);
    }
    FlushOut();
  }
  WriteOut("\n");
  FlushOut();
}

bool StandardStreamsAreTerminals() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) && _isatty(_fileno(stdout));
#else
  return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
#endif
}

}  // namespace formel_cli
