#include "prompt.h"

#include <signal.h>
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "check.h"
#include "input_lines.h"
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

// Ctrl-C interrupts the read of the line being typed instead of ending the
// program. SIGINT stays blocked except while waiting for a byte, so that a
// Ctrl-C that comes while the program is busy is seen at the next wait
// instead of being noted just before a read that would then block.
class InterruptCatcher {
 public:
  InterruptCatcher() {
    struct sigaction action {};
    action.sa_handler = &NoteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, &previousMask_);
    waitMask_ = previousMask_;
    sigdelset(&waitMask_, SIGINT);
  }
  ~InterruptCatcher() {
    sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
    sigaction(SIGINT, &previous_, nullptr);
  }
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  static const sigset_t* WaitMask() { return &waitMask_; }

 private:
  struct sigaction previous_ {};
  sigset_t previousMask_ {};
  static inline sigset_t waitMask_ {};
};

// One byte typed; EOF at the end of input and when Ctrl-C interrupts.
int ReadTypedByte(FILE*) {
  for (;;) {
    if (gInterrupted != 0) return EOF;
    fd_set input;
    FD_ZERO(&input);
    FD_SET(STDIN_FILENO, &input);
    if (pselect(STDIN_FILENO + 1, &input, nullptr, nullptr, nullptr, InterruptCatcher::WaitMask()) < 0) {
      if (errno == EINTR) continue;
      return EOF;
    }
    unsigned char byte = 0;
    const ssize_t n = read(STDIN_FILENO, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && errno == EINTR) continue;
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
  for (long long number = 1;; ++number) {
    const Typed typed = ReadPromptLine(line);
    if (typed == Typed::kEnd) break;
    if (typed == Typed::kInterrupted) WriteOut("\n");
    if (typed == Typed::kLine && !NulByteProblem(line).empty()) {
      ReportMessage(NulByteProblem(line));
      complete = false;
    } else if (typed == Typed::kLine) {
      const Evaluation evaluation = team.EvaluateLine(line);
      WriteOut(OutputLines(evaluation));
      WriteFindingLines(FindingLines(evaluation, number));
      FlushOut();
      if (!evaluation.Complete()) ReportMessage(ShortfallMessage(evaluation));
      complete = complete && evaluation.Complete();
    }
    FlushOut();
  }
  WriteOut("\n");
  FlushOut();
  return complete;
}

bool StandardStreamsAreTerminals() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

}  // namespace formel_cli
