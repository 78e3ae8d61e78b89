// Runs test steps in a forked child process, for steps that change what a process may do
// (resource limits, signal dispositions, namespaces and mounts, dropped privileges): all of it
// ends with the child.
#pragma once

#include <functional>
#include <string>

namespace vexa_test {

// The text the steps returned in the child, passed back through a pipe. When the child does
// not end normally, a note of how it ended instead ("child ended by signal N", or "child ended
// abnormally: " and what arrived).
std::string InChild(const std::function<std::string()>& steps);

}  // namespace vexa_test
