// Child processes for tests: started from an argument vector (no shell), with their own
// environment additions, working directory and standard input, their standard output and error
// collected, and every wait bounded by a timeout.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vexa_test {

struct ProcessOptions {
  std::vector<std::string> argv;  // argv[0]: the program (a bare name is looked up in PATH)
  // "NAME=value" entries that replace or extend the test's own environment.
  std::vector<std::string> env;
  // Names removed from the child's environment.
  std::vector<std::string> unsetEnv;
  std::string workDir;  // empty: the test's own working directory
  // Standard input: the text, after which the input ends; none: descriptor 0 is closed.
  std::optional<std::string> stdinText = std::string();
  // When not -1, this open descriptor becomes the child's standard input instead.
  int stdinFd = -1;
};

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // A child still running is killed.
  ~ChildProcess();

  // Starts the program in a process group of its own. False (with the reason in error) when
  // it cannot be started.
  bool Start(const ProcessOptions& options, std::string* error = nullptr);

  // Waits until the child has ended and its output is collected; false when it is still
  // running after timeoutSeconds.
  bool Wait(double timeoutSeconds);
  // True while the child runs (reaps it when it has ended).
  bool Running();
  // Kills the child's process group and reaps the child; nothing when it has ended.
  void Kill();

  pid_t Pid() const { return pid; }
  // After the end: whether it exited normally, its exit status (0-255) or the signal that
  // ended it.
  bool Exited() const { return exited; }
  int ExitStatus() const { return exitStatus; }
  int TermSignal() const { return termSignal; }

  // Output collected so far.
  std::string Stdout();
  std::string Stderr();

 private:
  void Reaped(int status);
  void JoinReaders();

  pid_t pid = -1;
  bool ended = false;
  bool exited = false;
  int exitStatus = -1;
  int termSignal = 0;
  std::mutex outputMutex;
  std::string out;
  std::string err;
  std::atomic<bool> outDone{false};
  std::atomic<bool> errDone{false};
  std::thread outReader;
  std::thread errReader;
  std::thread inWriter;
};

struct ProcessResult {
  bool started = false;
  bool timedOut = false;  // the child was killed after the timeout
  bool exited = false;
  int exitStatus = -1;
  int termSignal = 0;
  std::string out;
  std::string err;
};

// Runs the program to its end (killed after timeoutSeconds) and returns what it did.
ProcessResult RunProcess(const ProcessOptions& options, double timeoutSeconds = 30);

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "vexa-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path; }

 private:
  std::string path;
};

// Whole-file helpers for fixtures.
bool WriteFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFile(const std::string& path);

}  // namespace vexa_test
