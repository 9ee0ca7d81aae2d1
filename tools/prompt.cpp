#include "prompt.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "output.h"
#include "status_line.h"

#ifdef FORMEL_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

namespace formel_cli {

namespace {

constexpr const char* kPrompt = "formel> ";

volatile sig_atomic_t gInterrupted = 0;

void NoteInterrupt(int) { gInterrupted = 1; }

// Ctrl-C interrupts the read of the line being typed (no SA_RESTART)
// instead of ending the program.
class InterruptCatcher {
 public:
  InterruptCatcher() {
    struct sigaction action {};
    action.sa_handler = &NoteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptCatcher() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

 private:
  struct sigaction previous_ {};
};

// One byte typed; EOF at the end of input and when Ctrl-C interrupts.
int ReadTypedByte(FILE*) {
  for (;;) {
    unsigned char byte = 0;
    const ssize_t n = read(STDIN_FILENO, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && errno == EINTR && gInterrupted == 0) continue;
    return EOF;
  }
}

enum class Typed { kLine, kInterrupted, kEnd };

#ifdef FORMEL_HAVE_LIBEDIT
// libedit reads through ReadTypedByte; its own signal handling stays off so
// that Ctrl-C reaches the program's.
Typed ReadPromptLine(std::string& line) {
  rl_catch_signals = 0;
  rl_getc_function = &ReadTypedByte;
  gInterrupted = 0;
  char* read = readline(kPrompt);
  if (read == nullptr) return gInterrupted != 0 ? Typed::kInterrupted : Typed::kEnd;
  line = read;
  std::free(read);
  if (line.find_first_not_of(' ') != std::string::npos) add_history(line.c_str());
  return Typed::kLine;
}
#else
// The terminal itself drops the line typed so far when Ctrl-C interrupts.
Typed ReadPromptLine(std::string& line) {
  WriteOut(kPrompt);
  FlushOut();
  gInterrupted = 0;
  line.clear();
  for (;;) {
    const int byte = ReadTypedByte(stdin);
    if (byte == EOF) {
      if (gInterrupted != 0) return Typed::kInterrupted;
      return line.empty() ? Typed::kEnd : Typed::kLine;
    }
    if (byte == '\n') break;
    line += static_cast<char>(byte);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return Typed::kLine;
}
#endif

}  // namespace

bool RunPrompt(EvaluatorTeam& team) {
  const InterruptCatcher catcher;
  bool complete = true;
  std::string line;
  for (;;) {
    const Typed typed = ReadPromptLine(line);
    if (typed == Typed::kEnd) break;
    if (typed == Typed::kInterrupted) WriteOut("\n");
    if (typed == Typed::kLine) {
      const Evaluation evaluation = team.EvaluateLine(line);
      WriteOut(OutputLines(evaluation));
      FlushOut();
      if (!evaluation.complete) ReportMessage(kTooLongMessage);
      complete = complete && evaluation.complete;
    }
    FlushOut();
  }
  WriteOut("\n");
  FlushOut();
  return complete;
}

bool StandardStreamsAreTerminals() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

}  // namespace formel_cli
