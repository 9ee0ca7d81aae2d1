// Runs the built formel program as a separate process and captures what it
// writes, the way a shell or a pipe would use it.
#pragma once

#include <string>
#include <vector>

namespace formel_cli_test {

struct ProgramRun {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
  long peakResidentKb = 0;
};

struct RunSetup {
  std::string input;          // written to its standard input
  std::string stdoutPath;     // when set, its standard output goes to this file
  std::string workDirectory;  // when set, it runs there
  std::string lateInput;      // written 2 s after input, then input is closed
  bool stderrOnTerminal = false;  // standard error is a pseudo terminal
  bool stderrToStdout = false;    // both go to one pipe: run.out holds them in order
};

ProgramRun RunFormel(const std::vector<std::string>& args, const RunSetup& setup = {});

}  // namespace formel_cli_test
