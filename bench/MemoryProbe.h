#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "bench/BookMaker.h"

namespace bench {

// The child side: in a fresh process, opens every record screen on the book in turn as the menu does
// (each switch unloads the one before), looks `name` up on the deletion screen through its OK button,
// and prints the peak resident memory of the process in KiB. Returns the exit code.
int runMemoryProbe(const std::filesystem::path& bookDir, const std::string& name);

// The parent side: runs the probe in a child process of `self` and returns its figure.
std::int64_t peakResidentKiB(const std::filesystem::path& self, const Book& book);

// The option that makes the benchmark binary run the probe.
inline constexpr const char* kMemoryProbeOption = "--memory-probe";

}  // namespace bench
