#pragma once

#include <cstddef>
#include <filesystem>

#include "bench/Report.h"

namespace bench {

// Start-up to the entrance screen painted, one child process per repetition, against a bare Qt program
// showing one maximised window; both are timed from the spawn to their first frame.
Figure benchStartup(const std::filesystem::path& korvaleStart, const std::filesystem::path& bareStart,
                    std::size_t repetitions);

}  // namespace bench
