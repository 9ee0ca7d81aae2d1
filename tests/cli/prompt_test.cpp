// The interactive prompt, offered only on a terminal: run under a pseudo
// terminal, with assignments and variables that last for the session.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

namespace {

class Terminal {
 public:
  Terminal() {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      setenv("TERM", "dumb", 1);
      execl(FORMEL_PROGRAM, FORMEL_PROGRAM, "--var", "y=2", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Terminal() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  bool Started() const { return pid_ > 0; }

  void Type(const std::string& text) { ASSERT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size())); }

  // Reads until the text has appeared after what was read before; false
  // after ten seconds without it.
  bool WaitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (seen_.find(text, consumed_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      struct pollfd fd = {master_, POLLIN, 0};
      if (poll(&fd, 1, 100) <= 0) continue;
      char buffer[512];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) return false;
      seen_.append(buffer, static_cast<std::size_t>(n));
    }
    consumed_ = seen_.find(text, consumed_) + text.size();
    return true;
  }

  // libedit prints the prompt before it switches the terminal out of line
  // mode, and an end of input typed in between is lost; so type only once
  // the terminal is raw. The plain prompt reads in line mode.
  bool WaitForPrompt() {
    if (!WaitFor("formel> ")) return false;
#if FORMEL_PROMPT_EDITS_LINES
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    struct termios mode;
    while (tcgetattr(master_, &mode) == 0 && (mode.c_lflag & ICANON) != 0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      usleep(1000);
    }
#endif
    return true;
  }

  // -1 when it does not exit within ten seconds.
  int ExitStatus() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      usleep(1000);
    }
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Seen() const { return seen_; }

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  bool exited_ = false;
  std::string seen_;
  std::size_t consumed_ = 0;
};

TEST(PromptTest, AssignsVariablesAndEvaluatesUntilEndOfInput) {
  Terminal terminal;
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("[x] := 5+6\r");
  ASSERT_TRUE(terminal.WaitFor("11\r\n")) << terminal.Seen();
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("[x]*[y]\r");
  ASSERT_TRUE(terminal.WaitFor("22\r\n")) << terminal.Seen();
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("[ s ]:=upper(\"ab\")&[x]\r");
  ASSERT_TRUE(terminal.WaitFor("AB11\r\n")) << terminal.Seen();
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("len([s])\r");
  ASSERT_TRUE(terminal.WaitFor("4\r\n")) << terminal.Seen();
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("\x04");  // end of input
  EXPECT_EQ(terminal.ExitStatus(), 0) << terminal.Seen();
}

TEST(PromptTest, CtrlCClearsTheLineAndKeepsTheSession) {
  Terminal terminal;
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("[x] := 5\r");
  ASSERT_TRUE(terminal.WaitFor("5\r\n")) << terminal.Seen();
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("123");
  ASSERT_TRUE(terminal.WaitFor("123")) << terminal.Seen();
  terminal.Type("\x03");
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("[x]*2\r");
  ASSERT_TRUE(terminal.WaitFor("10\r\n")) << terminal.Seen();
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Seen();
  terminal.Type("\x04");
  EXPECT_EQ(terminal.ExitStatus(), 0) << terminal.Seen();
}

}  // namespace
