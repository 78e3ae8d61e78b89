// Running a helper program as a child process, without a shell: the arguments reach the program
// exactly as given, so no file name or message is ever interpreted.
#pragma once

#include <string>
#include <vector>

struct ChildResult {
  bool started = false;  // the program could be started
  bool exited = false;   // it ended by itself (not by a signal and not stopped by the timeout)
  int exitStatus = -1;   // its exit status when it exited
  std::string output;    // everything it wrote to standard output
};

// Starts the program at programPath with the argument vector arguments (arguments[0] is the
// name it sees), standard input from /dev/null, standard output captured and standard error
// shared with this process; environment entries "NAME=value" in extraEnvironment replace or
// add to this process's environment. Blocks until the child ends. With timeoutMs >= 0 a child
// still running after that time is killed (SIGKILL) and reported as not exited.
ChildResult RunChild(const std::string& programPath, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& extraEnvironment = {}, int timeoutMs = -1);

// The first executable file named name in the ":"-separated folder list searchPath (a PATH
// value; empty entries mean the current folder); empty when there is none.
std::string FindProgram(const std::string& name, const std::string& searchPath);
