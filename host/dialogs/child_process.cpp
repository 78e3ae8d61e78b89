#include "host/dialogs/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& added : extra) {
      if (added.substr(0, added.find('=')) == name) replaced = true;
    }
    if (!replaced) merged.push_back(text);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

std::vector<char*> PointerVector(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

// Milliseconds left until deadline (at least 0), or -1 (wait forever) without a deadline.
int RemainingMs(bool hasDeadline, Clock::time_point deadline) {
  if (!hasDeadline) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

pid_t Spawn(const std::string& programPath, std::vector<std::string> arguments,
            std::vector<std::string> environment, int outputFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // The child gets the three standard streams and none of this process's other files.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigfillset(&signals);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv = PointerVector(arguments);
  std::vector<char*> envp = PointerVector(environment);
  pid_t pid = -1;
  if (posix_spawn(&pid, programPath.c_str(), &actions, &attributes, argv.data(), envp.data()) !=
      0) {
    pid = -1;
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

ChildResult RunChild(const std::string& programPath, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& extraEnvironment, int timeoutMs) {
  ChildResult result;
  if (arguments.empty()) return result;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  const pid_t pid = Spawn(programPath, arguments, MergedEnvironment(extraEnvironment), pipeFds[1]);
  close(pipeFds[1]);
  if (pid < 0) {
    close(pipeFds[0]);
    return result;
  }
  result.started = true;

  // Read the output until it closes. A grandchild may inherit the output and keep it open, so
  // the child's own end is checked in between and ends the reading as well.
  const bool hasDeadline = timeoutMs >= 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  constexpr int kCheckIntervalMs = 100;
  bool reaped = false;
  bool timedOut = false;
  int status = 0;
  char buffer[4096];
  while (true) {
    const int remaining = RemainingMs(hasDeadline, deadline);
    const int wait = remaining < 0 || remaining > kCheckIntervalMs ? kCheckIntervalMs : remaining;
    pollfd readable = {pipeFds[0], POLLIN, 0};
    const int ready = poll(&readable, 1, wait);
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0) {
      const ssize_t count = read(pipeFds[0], buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      result.output.append(buffer, static_cast<size_t>(count));
      continue;
    }
    const pid_t waited = waitpid(pid, &status, WNOHANG);
    if (waited == pid) {
      reaped = true;
      // Take what the child wrote before it ended, without waiting for a grandchild.
      fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
      ssize_t count;
      while ((count = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        result.output.append(buffer, static_cast<size_t>(count));
      }
      break;
    }
    if (hasDeadline && RemainingMs(hasDeadline, deadline) == 0) {
      timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
  }
  close(pipeFds[0]);

  // The output has closed; the child normally ends right away, but the deadline still holds.
  bool blocking = !hasDeadline || timedOut;
  while (!reaped) {
    const pid_t waited = waitpid(pid, &status, blocking ? 0 : WNOHANG);
    if (waited == pid) break;
    if (waited < 0) {
      if (errno == EINTR) continue;
      return result;
    }
    if (RemainingMs(hasDeadline, deadline) == 0) {
      timedOut = true;
      kill(pid, SIGKILL);
      blocking = true;
      continue;
    }
    poll(nullptr, 0, 5);
  }
  result.exited = !timedOut && WIFEXITED(status);
  if (result.exited) result.exitStatus = WEXITSTATUS(status);
  return result;
}

std::string FindProgram(const std::string& name, const std::string& searchPath) {
  if (name.empty() || name.find('/') != std::string::npos) return std::string();
  size_t start = 0;
  while (start <= searchPath.size()) {
    size_t end = searchPath.find(':', start);
    if (end == std::string::npos) end = searchPath.size();
    std::string folder = searchPath.substr(start, end - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + name;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return std::string();
}
