#include "tests/e2e/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace vexa_test {

namespace {

double Seconds() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

std::string NameOf(const std::string& entry) {
  return entry.substr(0, entry.find('='));
}

std::vector<std::string> ChildEnvironment(const ProcessOptions& options) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& name : options.unsetEnv) replaced |= NameOf(entry) == name;
    for (const std::string& extra : options.env) replaced |= NameOf(entry) == NameOf(extra);
    if (!replaced) env.push_back(entry);
  }
  for (const std::string& extra : options.env) env.push_back(extra);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Reads the descriptor until its end into the string (under the mutex), then closes it.
void ReadAll(int fd, std::string* into, std::mutex* mutex, std::atomic<bool>* done) {
  char block[4096];
  for (;;) {
    const ssize_t n = read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    std::lock_guard<std::mutex> lock(*mutex);
    into->append(block, static_cast<size_t>(n));
  }
  close(fd);
  *done = true;
}

void WriteAll(int fd, std::string text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the child closed its input
    done += static_cast<size_t>(n);
  }
  close(fd);
}

}  // namespace

ChildProcess::~ChildProcess() {
  Kill();
}

bool ChildProcess::Start(const ProcessOptions& options, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (pid > 0) return fail("already started");
  if (options.argv.empty()) return fail("no program");

  int outPipe[2], errPipe[2], inPipe[2] = {-1, -1};
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return fail("pipe");
  const bool feedInput = options.stdinFd < 0 && options.stdinText.has_value();
  if (feedInput && pipe2(inPipe, O_CLOEXEC) != 0) return fail("pipe");
  // A child that closes its input early must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.stdinFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, options.stdinFd, 0);
  } else if (feedInput) {
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  } else {
    posix_spawn_file_actions_addclose(&actions, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  if (!options.workDir.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, options.workDir.c_str());
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);

  std::vector<std::string> argv = options.argv;
  std::vector<std::string> env = ChildEnvironment(options);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(env);
  const int rc = posix_spawnp(&pid, argv[0].c_str(), &actions, &attributes, argvPointers.data(),
                              envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(outPipe[1]);
  close(errPipe[1]);
  if (feedInput) close(inPipe[0]);
  if (rc != 0) {
    pid = -1;
    close(outPipe[0]);
    close(errPipe[0]);
    if (feedInput) close(inPipe[1]);
    return fail(std::string("posix_spawn ") + argv[0] + ": " + std::strerror(rc));
  }
  ended = false;
  outDone = false;
  errDone = false;
  outReader = std::thread(ReadAll, outPipe[0], &out, &outputMutex, &outDone);
  errReader = std::thread(ReadAll, errPipe[0], &err, &outputMutex, &errDone);
  if (feedInput) inWriter = std::thread(WriteAll, inPipe[1], *options.stdinText);
  return true;
}

void ChildProcess::Reaped(int status) {
  ended = true;
  exited = WIFEXITED(status);
  exitStatus = exited ? WEXITSTATUS(status) : -1;
  termSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

void ChildProcess::JoinReaders() {
  // Descendants of the child may still hold the pipes open; give them a moment, then end the
  // rest of the child's process group.
  const double deadline = Seconds() + 2.0;
  while (!(outDone && errDone) && Seconds() < deadline) usleep(2000);
  if (!(outDone && errDone)) kill(-pid, SIGKILL);
  if (outReader.joinable()) outReader.join();
  if (errReader.joinable()) errReader.join();
  if (inWriter.joinable()) inWriter.join();
}

bool ChildProcess::Running() {
  if (pid <= 0 || ended) return false;
  int status = 0;
  const pid_t r = waitpid(pid, &status, WNOHANG);
  if (r == pid) {
    Reaped(status);
    JoinReaders();
    return false;
  }
  return r == 0;
}

bool ChildProcess::Wait(double timeoutSeconds) {
  if (pid <= 0) return true;
  const double deadline = Seconds() + timeoutSeconds;
  while (Running()) {
    if (Seconds() >= deadline) return false;
    usleep(5000);
  }
  return true;
}

void ChildProcess::Kill() {
  if (pid <= 0 || ended) {
    return;
  }
  kill(-pid, SIGKILL);
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  Reaped(status);
  JoinReaders();
}

std::string ChildProcess::Stdout() {
  std::lock_guard<std::mutex> lock(outputMutex);
  return out;
}

std::string ChildProcess::Stderr() {
  std::lock_guard<std::mutex> lock(outputMutex);
  return err;
}

ProcessResult RunProcess(const ProcessOptions& options, double timeoutSeconds) {
  ProcessResult result;
  ChildProcess child;
  std::string error;
  if (!child.Start(options, &error)) {
    result.err = error;
    return result;
  }
  result.started = true;
  if (!child.Wait(timeoutSeconds)) {
    result.timedOut = true;
    child.Kill();
  }
  result.exited = child.Exited();
  result.exitStatus = child.ExitStatus();
  result.termSignal = child.TermSignal();
  result.out = child.Stdout();
  result.err = child.Stderr();
  return result;
}

TempDir::TempDir(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (mkdtemp(pattern.data())) path = pattern;
}

TempDir::~TempDir() {
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace vexa_test
