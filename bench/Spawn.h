#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC in nanoseconds: one clock for a parent and the children it starts.
std::int64_t monotonicNs();

struct ChildRun {
    std::int64_t startedNs = 0;  // just before the child was spawned
    std::string output;          // what it wrote to its standard output
    int exitCode = -1;
    double cpuSeconds = 0.0;  // user and system time of the child
};

// Starts `argv[0]` with the arguments that follow and this process's environment, collects its
// standard output and waits for it. Throws when it cannot be started or does not exit with 0.
ChildRun runChild(const std::vector<std::string>& argv);

}  // namespace bench
