#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace formel_cli_test {

namespace {

using Clock = std::chrono::steady_clock;

// The two ends of a channel to or from the program.
struct Channel {
  int read = -1;
  int write = -1;
};

Channel MakePipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  return {fds[0], fds[1]};
}

// A pseudo terminal: the program writes to one end, the test reads the other.
Channel MakeTerminal() {
  Channel terminal;
  if (openpty(&terminal.read, &terminal.write, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  fcntl(terminal.read, F_SETFD, FD_CLOEXEC);
  fcntl(terminal.write, F_SETFD, FD_CLOEXEC);
  return terminal;
}

void Check(int error, const char* what) {
  if (error != 0) throw std::runtime_error(what);
}

// The input to write: the first part at once, the late part after a pause.
struct Feed {
  std::string text;
  std::string late;
  std::size_t written = 0;
  Clock::time_point lateAt;

  bool Waiting() const { return written == text.size() && !late.empty() && Clock::now() < lateAt; }
  void TakeLate() {
    if (written == text.size() && !late.empty() && Clock::now() >= lateAt) text += std::exchange(late, {});
  }
};

// Feeds the input and drains both outputs together, so that no pipe fills up.
void Exchange(int in, int out, int err, Feed feed, ProgramRun& run) {
  struct pollfd fds[3] = {{in, POLLOUT, 0}, {out, POLLIN, 0}, {err, POLLIN, 0}};
  std::string* sinks[3] = {nullptr, &run.out, &run.err};
  int open = 3;
  if (feed.text.empty() && feed.late.empty()) {
    close(in);
    fds[0].fd = -1;
    --open;
  }
  while (open > 0) {
    feed.TakeLate();
    fds[0].events = feed.Waiting() ? 0 : POLLOUT;
    if (poll(fds, 3, feed.Waiting() ? 50 : -1) < 0 && errno != EINTR) throw std::runtime_error("poll failed");
    if (fds[0].fd >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      const ssize_t n = write(in, feed.text.data() + feed.written, feed.text.size() - feed.written);
      if (n > 0) feed.written += static_cast<std::size_t>(n);
      if (n < 0 || (feed.written == feed.text.size() && feed.late.empty())) {
        close(in);
        fds[0].fd = -1;
        --open;
      }
    }
    for (int i = 1; i < 3; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

ProgramRun RunFormel(const std::vector<std::string>& args, const RunSetup& setup) {
  // A program that stops reading must not end the test by SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  const Channel in = MakePipe();
  const Channel out = MakePipe();
  const Channel err = setup.stderrOnTerminal ? MakeTerminal() : MakePipe();
  posix_spawn_file_actions_t actions;
  Check(posix_spawn_file_actions_init(&actions), "file actions");
  posix_spawn_file_actions_adddup2(&actions, in.read, 0);
  if (setup.stdoutPath.empty()) {
    posix_spawn_file_actions_adddup2(&actions, out.write, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, setup.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_adddup2(&actions, setup.stderrToStdout ? out.write : err.write, 2);
  if (!setup.workDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, setup.workDirectory.c_str());
  }
  std::vector<char*> argv{const_cast<char*>(FORMEL_PROGRAM)};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, FORMEL_PROGRAM, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in.read);
  close(out.write);
  close(err.write);
  Check(spawned, "cannot start the program");
  ProgramRun run;
  const Feed feed{setup.input, setup.lateInput, 0, Clock::now() + std::chrono::milliseconds(2000)};
  Exchange(in.write, out.read, err.read, feed, run);
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakResidentKb = usage.ru_maxrss;
  return run;
}

}  // namespace formel_cli_test
