#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

extern char** environ;

namespace formel_cli_test {

namespace {

struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    read = fds[0];
    write = fds[1];
  }
};

void Check(int error, const char* what) {
  if (error != 0) throw std::runtime_error(what);
}

// Feeds the input and drains both outputs together, so that no pipe fills up.
void Exchange(int in, int out, int err, const std::string& input, ProgramRun& run) {
  std::size_t written = 0;
  struct pollfd fds[3] = {{in, POLLOUT, 0}, {out, POLLIN, 0}, {err, POLLIN, 0}};
  std::string* sinks[3] = {nullptr, &run.out, &run.err};
  int open = 3;
  if (input.empty()) {
    close(in);
    fds[0].fd = -1;
    --open;
  }
  while (open > 0) {
    if (poll(fds, 3, -1) < 0 && errno != EINTR) throw std::runtime_error("poll failed");
    if (fds[0].fd >= 0 && fds[0].revents != 0) {
      const ssize_t n = write(in, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 || written == input.size()) {
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
  Pipe in, out, err;
  posix_spawn_file_actions_t actions;
  Check(posix_spawn_file_actions_init(&actions), "file actions");
  posix_spawn_file_actions_adddup2(&actions, in.read, 0);
  if (setup.stdoutPath.empty()) {
    posix_spawn_file_actions_adddup2(&actions, out.write, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, setup.stdoutPath.c_str(), O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, err.write, 2);
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
  Exchange(in.write, out.read, err.read, setup.input, run);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace formel_cli_test
