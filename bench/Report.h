#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/Timing.h"

namespace bench {

// What a figure is held to.
enum class Kind {
    // Store opens and look-ups: within 1.5x of the engine's own cost, and within 1.5x between the
    // smallest and the largest book.
    StoreRead,
    // Durable add, change, delete: within 1.5x of the engine's own cost (the disk's flush bounds both).
    StoreWrite,
    // Loading and showing a record screen: within 1.3x of a bare window with the same widgets, and
    // within 1.5x between the smallest and the largest book.
    Screen,
    // Start-up to the entrance screen shown: within 1.3x of a bare application's one window.
    Startup,
};

// The medians of one action on one book (rows 0 for start-up) beside the medians of its floor.
struct Figure {
    std::string action;
    std::string floorAction;
    Kind kind = Kind::StoreRead;
    std::int64_t rows = 0;
    Medians korvale;
    Medians floor;
    std::size_t repetitions = 0;

    // Durable writes wait for the disk, which only the wall clock sees; everything else is work on the
    // CPU, which CPU time measures without the waits for a core that other users of the machine cause.
    bool judgedOnWall() const { return kind == Kind::StoreWrite; }
    double seconds() const { return judgedOnWall() ? korvale.wall : korvale.cpu; }
    double floorSeconds() const { return judgedOnWall() ? floor.wall : floor.cpu; }
};

// `batch` is the number of operations each sample timed.
Figure figureOf(std::string action, std::string floorAction, Kind kind, std::int64_t rows,
                const PairedSamples& samples, std::size_t batch = 1);

// Peak resident memory of a process that opened every record screen and looked one name up.
struct MemoryFigure {
    std::int64_t rows = 0;
    std::int64_t peakKiB = 0;
};

struct RunInfo {
    std::string command;
    std::string machine;
    std::string versions;
    std::vector<std::string> notes;
    double totalSeconds = 0.0;
};

struct ReportResult {
    std::size_t targets = 0;
    std::size_t met = 0;
    std::string markdown;
};

// Writes RESULTS.md and results.png (the plot of time against book size) into `dir` and returns the
// text written along with the count of targets met.
ReportResult writeReport(const std::filesystem::path& dir, const std::vector<Figure>& figures,
                         const std::vector<MemoryFigure>& memory, const RunInfo& info);

}  // namespace bench
