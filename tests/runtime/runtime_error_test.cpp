// The runtime error report, its debugger protocol on standard input and the exit statuses,
// checked byte for byte on a child process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/e2e/process.h"

namespace vexa_test {
namespace {

const std::string kReportOut = "Taliscor Runtime Error : App has already been created\n\n";
const std::string kReportErr = "{{~~~~}}\n\n";

ProcessResult RunHelper(const std::vector<std::string>& arguments,
                        std::optional<std::string> stdinText = std::nullopt) {
  ProcessOptions options;
  options.argv = {RUNTIME_ERROR_HELPER};
  options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
  options.stdinText = std::move(stdinText);
  ProcessResult result = RunProcess(options, 30);
  EXPECT_TRUE(result.started) << result.err;
  EXPECT_FALSE(result.timedOut);
  EXPECT_TRUE(result.exited) << "ended by signal " << result.termSignal;
  return result;
}

struct DebuggerCase {
  const char* name;
  std::optional<std::string> input;  // none: standard input closed
  std::string out;
  std::string err;
  int status;
};

TEST(RuntimeErrorReport, DebuggerProtocolOnStandardInput) {
  const std::string longLine = std::string(300, 'q') + "\n";
  const DebuggerCase cases[] = {
      {"closed input", std::nullopt, kReportOut, kReportErr, 255},
      {"empty input", std::string(), kReportOut, kReportErr, 255},
      {"quit", std::string("q\n"), kReportOut, kReportErr, 0},
      {"quit with CRLF", std::string("q\r\n"), kReportOut, kReportErr, 0},
      {"quit without line end", std::string("q"), kReportOut, kReportErr, 255},
      {"line longer than 255", longLine, kReportOut, kReportErr, 255},
      {"unknown command", std::string("xyz\n"), kReportOut + "????? xyz ?????", kReportErr, 255},
      {"empty command line", std::string("\n"), kReportOut + "?????  ?????", kReportErr, 255},
      {"query ignored", std::string("?\n?anything\nq\n"), kReportOut, kReportErr, 0},
      {"object references", std::string("@1f00\n@0x0\n@\nq\n"), kReportOut,
       kReportErr + "+Object\n\n" + "\n" + "\n", 0},
      {"resume repeats the report", std::string("r\ns\ne\nl\nq\n"),
       kReportOut + kReportOut + kReportOut + kReportOut + kReportOut,
       kReportErr + kReportErr + kReportErr + kReportErr + kReportErr, 0},
  };
  for (const DebuggerCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ProcessResult result = RunHelper({"error", "App has already been created"}, c.input);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.exitStatus, c.status);
  }
}

TEST(RuntimeErrorReport, InteractiveTerminalIsNoDebugger) {
  // Started from a terminal, the report must not wait for a command line that never comes.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ProcessOptions options;
  options.argv = {RUNTIME_ERROR_HELPER, "error", "App has already been created"};
  options.stdinFd = terminal;
  const ProcessResult result = RunProcess(options, 30);
  close(terminal);
  close(master);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.out, kReportOut);
  EXPECT_EQ(result.err, kReportErr);
  EXPECT_EQ(result.exitStatus, 255);
}

TEST(RuntimeErrorReport, EmptyMessageEndsAtOnceWithStatusZeroAndNoOutput) {
  const ProcessResult result = RunHelper({"error", ""});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

TEST(RuntimeErrorReport, RaisedByTheRuntime) {
  struct Case {
    const char* scenario;
    std::string firstLine;
  };
  const Case cases[] = {
      {"bad-encoding", "Taliscor Runtime Error : Invalid string encoding:utf16\n"},
      {"sigfpe", "Taliscor Runtime Error : Floating point exception\n"},
      {"sigsegv", "Taliscor Runtime Error : Memory access violation\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    const ProcessResult result = RunHelper({c.scenario});
    EXPECT_EQ(result.out, c.firstLine + "\n");
    EXPECT_EQ(result.err, kReportErr);
    EXPECT_EQ(result.exitStatus, 255);
  }
}

TEST(RuntimeErrorReport, ThrowableCaughtAtAnEntryPointEndsThroughDie) {
  // No debugger protocol: the report is one line and the process ends with -1 at once.
  const ProcessResult result = RunHelper({"uncaught"}, std::string("q\n"));
  EXPECT_EQ(result.out, "Taliscor Runtime Error : Uncaught Taliscor Exception\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.exitStatus, 255);
}

TEST(PrintLine, WritesEachUnitAsUtf8AndALineEnd) {
  const ProcessResult result = RunHelper({"print"});
  EXPECT_EQ(result.out, "\xC3\xA9\n");
  EXPECT_EQ(result.exitStatus, 0);
}

}  // namespace
}  // namespace vexa_test
