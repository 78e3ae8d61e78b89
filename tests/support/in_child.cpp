#include "tests/support/in_child.h"

#include <sys/wait.h>
#include <unistd.h>

namespace vexa_test {

std::string InChild(const std::function<std::string()>& steps) {
  int ends[2];
  if (pipe(ends) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    close(ends[0]);
    const std::string report = steps();
    const ssize_t written = write(ends[1], report.data(), report.size());
    _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  close(ends[1]);
  std::string report;
  char buffer[512];
  ssize_t n;
  while ((n = read(ends[0], buffer, sizeof buffer)) > 0) report.append(buffer, size_t(n));
  close(ends[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return "child ended by signal " + std::to_string(WTERMSIG(status));
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child ended abnormally: " + report;
  return report;
}

}  // namespace vexa_test
